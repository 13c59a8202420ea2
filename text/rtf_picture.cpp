// The RTF reader's inline pictures: the {\pict ...} group is kept as it
// stood, from \pict to its closing brace, so saving writes it back
// unchanged; its data is decoded from hex (or taken from \bin) for display.
#include "text/rtf_reader_state.h"

#include <algorithm>

namespace text {

namespace {

int32_t nonNegative(const RtfToken& token) { return std::max(token.parameter, 0); }

} // namespace

void RtfReader::startPicture(size_t wordOffset)
{
    picture_ = Picture{};
    pictureStart_ = wordOffset;
    pictureDepth_ = stack_.size();
    pictureOpen_ = true;
    pendingNibble_ = -1;
}

void RtfReader::pictureWord(RtfAction action, const RtfToken& token, const RtfControlWord& word)
{
    switch (action) {
    case RtfAction::PictureKind: picture_.kind = static_cast<Picture::Kind>(word.value); break;
    case RtfAction::PictureWidth: picture_.width = nonNegative(token); break;
    case RtfAction::PictureHeight: picture_.height = nonNegative(token); break;
    case RtfAction::PictureWidthGoal: picture_.widthGoal = nonNegative(token); break;
    case RtfAction::PictureHeightGoal: picture_.heightGoal = nonNegative(token); break;
    case RtfAction::PictureScaleX: picture_.scaleX = nonNegative(token); break;
    case RtfAction::PictureScaleY: picture_.scaleY = nonNegative(token); break;
    default: break;
    }
}

// Pairs of hex digits; spaces and anything else between them are ignored.
void RtfReader::pictureHex(std::string_view bytes)
{
    for (const char c : bytes) {
        const int value = hexDigit(c);
        if (value < 0)
            continue;
        if (pendingNibble_ < 0) {
            pendingNibble_ = value;
        } else {
            picture_.data += static_cast<char>(pendingNibble_ * 16 + value);
            pendingNibble_ = -1;
        }
    }
}

void RtfReader::finishPicture(size_t endOffset)
{
    pictureOpen_ = false;
    // Words or text before \pict in its group belong to the body, which
    // holds them already.
    const size_t end = std::min(endOffset, input_.size());
    picture_.source.assign(1, '{');
    picture_.source.append(input_.substr(pictureStart_, end - pictureStart_));
    const auto index = static_cast<int32_t>(document_.pictures.size());
    document_.pictures.push_back(std::move(picture_));
    picture_ = Picture{};
    Run& run = currentRun(index);
    paragraph_.text += u'\uFFFC';
    run.length = 1;
}

} // namespace text
