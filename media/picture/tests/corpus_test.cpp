// The conformance corpus's PNG, bitmap and icon rows, when the corpus is
// present: pixels equal to the reference decoder's within one step, sizes
// as independent tools report them, and corrupt files refused cleanly.
#include "media/picture/bmp_reader.h"
#include "media/picture/ico_reader.h"
#include "media/picture/png_reader.h"

#include "base/exception.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;

struct Row {
    std::string path, kind, expected;
};

std::string readAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<Row> rows(const fs::path& corpus)
{
    std::vector<Row> out;
    std::istringstream manifest(readAll(corpus / "MANIFEST.tsv"));
    std::string line;
    std::getline(manifest, line);
    while (std::getline(manifest, line)) {
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string s; std::getline(fields, s, '\t');)
            f.push_back(s);
        if (f.size() < 5 || (f[1] != "png" && f[1] != "png-corrupt" && f[1] != "bmp" && f[1] != "ico"))
            continue;
        if (f[4].size() >= 2 && f[4].front() == '"')
            f[4] = f[4].substr(1, f[4].size() - 2);
        out.push_back({f[0], f[1], f[4]});
    }
    return out;
}

picture::RgbaImage decode(const Row& row, const std::string& bytes)
{
    if (row.kind == "ico")
        return picture::readIcon(bytes);
    if (row.kind == "bmp")
        return fs::path(row.path).extension() == ".dib" ? picture::readDib(bytes) : picture::readBmp(bytes);
    return picture::readPng(bytes);
}

// Pixels of a reference PAM file (RGB_ALPHA, 8 bits).
std::vector<uint8_t> pamPixels(const std::string& pam, int32_t& width, int32_t& height)
{
    const size_t end = pam.find("ENDHDR\n");
    std::smatch m;
    const std::string header = pam.substr(0, end);
    width = std::regex_search(header, m, std::regex("WIDTH (\\d+)")) ? std::stoi(m[1]) : 0;
    height = std::regex_search(header, m, std::regex("HEIGHT (\\d+)")) ? std::stoi(m[1]) : 0;
    return {pam.begin() + static_cast<std::ptrdiff_t>(end + 7), pam.end()};
}

std::string sizeText(const picture::RgbaImage& image)
{
    return std::to_string(image.width) + "x" + std::to_string(image.height);
}

// Rows the reference rejects only for a wrong chunk checksum, whose data is
// otherwise whole: this reader does not verify checksums, so they load.
const std::set<std::string> kChecksumOnly = {"png/libpng-crashers-badcrc.png", "png/xcsn0g01.png",
                                             "png/xhdn0g08.png"};

void check(const fs::path& corpus, const Row& row)
{
    const std::string bytes = readAll(corpus / row.path);
    const std::string& exp = row.expected;
    std::optional<picture::RgbaImage> image;
    std::string failure;
    try {
        image = decode(row, bytes);
    } catch (const base::Exception& e) {
        failure = e.what();
    }
    const bool refuse = exp.rfind("invalid", 0) == 0 && !kChecksumOnly.count(row.path);
    if (refuse) {
        EXPECT_FALSE(image) << "loaded a corrupt file as " << sizeText(*image);
        return;
    }
    // "WxH|invalid": these dimensions, or a clean refusal.
    if (!image && std::regex_search(exp, std::regex("^\\d+x\\d+\\|invalid")))
        return;
    ASSERT_TRUE(image) << failure;
    if (exp.rfind("pam:", 0) == 0) {
        int32_t w = 0, h = 0;
        const std::vector<uint8_t> ref = pamPixels(readAll(corpus / exp.substr(4, exp.find(' ') - 4)), w, h);
        ASSERT_EQ(sizeText(*image), std::to_string(w) + "x" + std::to_string(h));
        ASSERT_EQ(image->pixels.size(), ref.size());
        size_t off = 0;
        for (size_t i = 0; i < ref.size(); ++i)
            off += std::abs(image->pixels[i] - ref[i]) > 1;
        EXPECT_EQ(off, 0u) << "samples off by more than one";
    } else if (exp.rfind("sizes:", 0) == 0) {
        const std::string list = "," + exp.substr(6, exp.find(' ') - 6) + ",";
        EXPECT_NE(list.find("," + sizeText(*image) + ","), std::string::npos) << sizeText(*image);
    } else if (exp.rfind("invalid", 0) != 0) {
        EXPECT_EQ(sizeText(*image), exp.substr(0, exp.find_first_of(" |")));
    }
}

TEST(PictureCorpus, EveryPngBitmapAndIconRowHasItsOutcome)
{
    const fs::path corpus = QUELMAR_CORPUS_DIR;
    if (!fs::exists(corpus / "MANIFEST.tsv"))
        GTEST_SKIP() << "no corpus at " << corpus;
    const std::vector<Row> all = rows(corpus);
    EXPECT_GT(all.size(), 300u);
    for (const Row& row : all) {
        SCOPED_TRACE(row.path + ": " + row.expected);
        check(corpus, row);
    }
}

} // namespace
