#include "settings/ini_file.h"
#include "settings/profile_service.h"
#include "settings/setting_keys.h"

#include "base/file.h"
#include "base/utf.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;
using settings::Setting;
using settings::TIniFile;

namespace {

constexpr const char* kDefaultFile =
    "[Text]\n"
    "AreaWidth=700\n"
    "AreaHeight=550\n"
    "FontColor=0\n"
    "LoadLastFile=1\n"
    "FontName=Tahoma\n"
    "FontSize=12\n"
    "LastWorkingFilePath=Untitled.txt\n"
    "[Background]\n"
    "BackgroundPicturePath=Backdrop.jpg\n"
    "BackgroundPictureVisible=1\n"
    "BackgroundColor=13429469\n"
    "[Sound]\n"
    "SoundEnabled=1\n"
    "SoundFilePath=ambience.mp3\n"
    "SoundVolume=900\n";

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("settings-ini-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        path_ = settings::settingsFilePath(dir_.string());
    }
    void TearDown() override
    {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }
    void put(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }
    std::string get() const { return base::readFile(path_); }
    size_t entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator())); }
    std::string refusal() const { return "Unable to write to " + path_; }

    static settings::SettingValues readAll(const TIniFile& ini)
    {
        settings::SettingValues values;
        for (size_t i = 0; i < settings::kSettingCount; ++i) {
            const auto s = static_cast<Setting>(i);
            switch (settings::settingKey(s).form) {
            case settings::ValueForm::Integer:
            case settings::ValueForm::Colour: values[s] = settings::readNumber(ini, s); break;
            case settings::ValueForm::Boolean: values[s] = settings::readFlag(ini, s); break;
            case settings::ValueForm::String: values[s] = settings::readText(ini, s); break;
            }
        }
        return values;
    }
    static void expectSame(const settings::SettingValues& a, const settings::SettingValues& b)
    {
        for (size_t i = 0; i < settings::kSettingCount; ++i)
            EXPECT_EQ(a[static_cast<Setting>(i)], b[static_cast<Setting>(i)]) << "key " << i;
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(IniFileTest, WithoutAFileEveryReadIsItsDefaultAndNothingIsCreated)
{
    {
        TIniFile ini(path_);
        expectSame(readAll(ini), settings::SettingValues());
    }
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(IniFileTest, FirstWriteCreatesSectionsAndKeysInWriteOrderAndRewritesKeepThem)
{
    {
        TIniFile ini(path_);
        settings::writeSettings(ini, settings::SettingValues());
    }
    EXPECT_EQ(get(), kDefaultFile);

    settings::SettingValues changed;
    changed[Setting::AreaWidth] = -20;
    changed[Setting::LoadLastFile] = false;
    changed[Setting::FontName] = std::u16string(u"DejaVu Sans");
    changed[Setting::BackgroundColor] = 255;
    {
        TIniFile ini(path_);
        settings::writeSettings(ini, changed);
    }
    std::string expected = kDefaultFile;
    for (const auto& [from, to] : {std::pair{"AreaWidth=700", "AreaWidth=-20"}, {"LoadLastFile=1", "LoadLastFile=0"},
                                   {"=Tahoma", "=DejaVu Sans"}, {"=13429469", "=255"}})
        expected.replace(expected.find(from), std::string_view(from).size(), to);
    EXPECT_EQ(get(), expected);
    TIniFile ini(path_);
    expectSame(readAll(ini), changed);
}

TEST_F(IniFileTest, FlagsFromStoredTexts)
{
    const struct {
        const char* stored;
        bool whenDefaultTrue, whenDefaultFalse;
    } cases[] = {
        {"1", true, true}, {"2", true, true}, {"-1", true, true}, {"0", false, false}, {" 0x10 ", true, true},
        {"true", true, false}, {"false", true, false}, {"yes", true, false}, {"", true, false}, {"1.0", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        put(std::string("[Text]\nLoadLastFile=") + c.stored + "\n");
        TIniFile ini(path_);
        EXPECT_EQ(ini.ReadFlag(u"Text", u"LoadLastFile", true), c.whenDefaultTrue);
        EXPECT_EQ(ini.ReadFlag(u"Text", u"LoadLastFile", false), c.whenDefaultFalse);
    }
}

TEST_F(IniFileTest, StoredTextsReadBackUnchangedUpTo2047Characters)
{
    const std::u16string long3000(3000, u'w');
    // A surrogate pair across the cut: half a character is no character.
    const std::u16string pairAtTheCut = std::u16string(2046, u'a') + u"\U0001F600";
    const struct {
        std::u16string value;
        size_t readLength;
    } cases[] = {
        {u"", 0}, {u" lead", 5}, {u"trail\t", 6}, {u"\"quoted\"", 8}, {u"\"", 1}, {u"a=b", 3}, {u"[x]", 3}, {u";c", 2},
        {u"Gr\u00F6\u00DFe \u2713 \U0001F600", 10}, {pairAtTheCut, 2046}, {long3000, 2047},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(base::utf16ToUtf8(c.value.substr(0, 40)));
        TIniFile ini(path_);
        ini.WriteText(u"Text", u"FontName", c.value);
        EXPECT_EQ(ini.ReadText(u"Text", u"FontName", u"Tahoma"), c.value.substr(0, c.readLength));
    }
    EXPECT_EQ(get(), "[Text]\nFontName=" + base::utf16ToUtf8(long3000) + "\n");
}

TEST_F(IniFileTest, ChangesOnDiskAreSeenByTheNextOperationOrOnceTheSharedReadEnds)
{
    put("[Sound]\nSoundVolume=100\n");
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadNumber(u"Sound", u"SoundVolume", 900), 100);
    ini.WriteNumber(u"Sound", u"SoundVolume", 200);
    EXPECT_EQ(ini.ReadNumber(u"Sound", u"SoundVolume", 900), 200);
    put("[Sound]\nSoundVolume=300\n");
    std::this_thread::sleep_for(settings::kSharedReadWindow + std::chrono::milliseconds(50));
    EXPECT_EQ(ini.ReadNumber(u"Sound", u"SoundVolume", 900), 300);
    put("[Sound]\nSoundVolume=400\n");
    settings::flushProfile(path_);
    EXPECT_EQ(ini.ReadNumber(u"Sound", u"SoundVolume", 900), 400);
}

TEST_F(IniFileTest, ValuesANameOrTheFileCannotHoldAreRefused)
{
    put("[Text]\nFontName=Tahoma\n");
    const struct {
        std::u16string_view section, key, value;
    } cases[] = {
        {u"Text", u"FontName", u"two\nlines"}, {u"Text", u"FontName", u"cr\r"},
        {u"Text", u"FontName", std::u16string_view(u"nul\0", 4)}, {u"Text", u"FontName", u"\xD800"},
        {u"Text", u"Font=Name", u"x"}, {u"Te]xt", u"FontName", u"x"}, {u"Text", u"", u"x"}, {u"Text", u" FontName", u"x"},
    };
    for (const auto& c : cases) {
        TIniFile ini(path_);
        try {
            ini.WriteText(c.section, c.key, c.value);
            ADD_FAILURE() << base::utf16ToUtf8(c.value) << " was written";
        } catch (const EIniFileException& e) {
            EXPECT_EQ(std::string(e.what()), refusal());
        }
    }
    EXPECT_EQ(get(), "[Text]\nFontName=Tahoma\n");

    // A settings file that cannot be read is not replaced by a new one.
    fs::remove(path_);
    fs::create_directory(path_);
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadText(u"Text", u"FontName", u"Tahoma"), u"Tahoma");
    EXPECT_THROW(ini.WriteText(u"Text", u"FontName", u"x"), EIniFileException);
    EXPECT_TRUE(fs::is_directory(path_));
}

// Root may write anywhere, so the refusal is tried as an unprivileged user.
TEST_F(IniFileTest, ReadOnlyFolderRefusesTheFirstWrite)
{
    put(kDefaultFile);
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                std::_Exit(1);
            try {
                TIniFile ini(path_);
                settings::SettingValues values;
                values[Setting::AreaWidth] = 1;
                settings::writeSettings(ini, values);
            } catch (const EIniFileException& e) {
                std::fprintf(stderr, "[%s]", e.what());
                std::_Exit(3);
            }
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(3), "\\[Unable to write to " + path_ + "\\]");
    EXPECT_EQ(get(), kDefaultFile);
    EXPECT_EQ(entries(), 1u);
}

// The disk takes the first four keys and then no more: the fifth write stops
// part-way through its temporary file, the file keeps the four keys whole and
// the later keys are not tried.
TEST_F(IniFileTest, InterruptedWriteStopsAtThatKeyAndLeavesTheFileWhole)
{
    const std::string fourKeys = "[Text]\nAreaWidth=700\nAreaHeight=550\nFontColor=0\nLoadLastFile=1\n";
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = fourKeys.size();
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    std::string message;
    try {
        TIniFile ini(path_);
        settings::writeSettings(ini, settings::SettingValues());
    } catch (const EIniFileException& e) {
        message = e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(message, refusal());
    EXPECT_EQ(get(), fourKeys);
    EXPECT_EQ(entries(), 1u);
}

} // namespace
