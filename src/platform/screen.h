#pragma once

// The screen the program's windows appear on. Actual Size prints a picture
// as large as it shows here, and metafiles are measured in its pixels.

namespace orvanto {

class IScreen {
public:
    virtual ~IScreen() = default;
    // Logical pixels per inch of the primary screen; 96 when there is no
    // screen to ask (no application object, or none attached).
    virtual int PixelsPerInch() = 0;
};

// Asks Qt's primary screen when a Gui application exists.
class TGuiScreen final : public IScreen {
public:
    int PixelsPerInch() override;
};

// A screen of a fixed density, for tests.
class TFixedScreen final : public IScreen {
public:
    explicit TFixedScreen(int pixelsPerInch) : FPixelsPerInch(pixelsPerInch) {}
    int PixelsPerInch() override { return FPixelsPerInch; }

private:
    int FPixelsPerInch;
};

} // namespace orvanto
