// A screen of a size the test chooses, installed for a test scope.
#pragma once

#include "platform/screen.h"

namespace platform {

class FakeScreen final : public Screen {
public:
    FakeScreen(int w, int h) : w_(w), h_(h) { installScreen(this); }
    ~FakeScreen() override { installScreen(nullptr); }
    void resize(int w, int h) { w_ = w, h_ = h; }
    int width() const override { return w_; }
    int height() const override { return h_; }
    int dotsPerInch() const override { return 96; }

private:
    int w_;
    int h_;
};

} // namespace platform
