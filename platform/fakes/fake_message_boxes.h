// Records every box the program would show and answers confirmations from a
// script (Dismissed once the script runs out).
#pragma once

#include "platform/message_boxes.h"

#include <QStringList>
#include <deque>

namespace platform {

class FakeMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        QString kind; // "error" or "confirm"
        QString caption;
        QString text;
        QWidget* owner = nullptr;
    };

    void showError(QWidget* owner, const QString& caption, const QString& text) override
    {
        shown.push_back({QStringLiteral("error"), caption, text, owner});
    }

    Answer confirm(QWidget* owner, const QString& caption, const QString& text) override
    {
        shown.push_back({QStringLiteral("confirm"), caption, text, owner});
        if (answers.empty())
            return Answer::Dismissed;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }

    QStringList errors() const
    {
        QStringList out;
        for (const auto& s : shown)
            if (s.kind == QLatin1String("error"))
                out << s.text;
        return out;
    }

    std::deque<Answer> answers;
    std::vector<Shown> shown;
};

// Installs a fake for the lifetime of a test scope.
class ScopedMessageBoxes {
public:
    ScopedMessageBoxes() { installMessageBoxes(&fake); }
    ~ScopedMessageBoxes() { installMessageBoxes(nullptr); }
    FakeMessageBoxes fake;
};

} // namespace platform
