#pragma once

#include "platform/printer.h"

#include <QImage>
#include <QRect>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

// Test double: a printer that records every job instead of printing it.
// The public fields describe the device and say how it should fail.
class TRecordingPrinter final : public IPrinter {
public:
    struct TStretch {
        QRect Destination;
        // The bitmap as it was at the call, when drawn. Kept by sharing: a
        // caller that changes its bitmap afterwards gets a copy of its own,
        // and the double adds no page of memory to a print.
        QImage Bitmap;
        QSize Size;    // the bitmap's size, whatever the result
        TStretchResult Result = TStretchResult::Drawn;
    };
    struct TJob {
        std::string Title;
        int Copies = 1;
        int Orientation = 0;
        std::vector<TStretch> Stretches;
        bool Ended = false;
        bool Aborted = false; // abandoned: nothing of it printed
    };

    // --- the device ---
    // Empty means "no printer installed".
    std::vector<std::string> Names{"Recording Printer"};
    // False: the printers are listed but none is the default (CUPS without
    // a default destination), so there is no current printer.
    bool HasCurrent = true;
    int ResolutionX = 600;
    int ResolutionY = 600;
    // Printable area in portrait; landscape swaps the two.
    int PortraitWidth = 4800;
    int PortraitHeight = 6600;
    int MaxCopies = 999;

    // --- failures ---
    // The device reports failure from this stretch call on (0-based, counted
    // over the printer's life); -1 never.
    int FailStretchFrom = -1;
    // A bitmap of more bytes than this cannot be prepared for the device:
    // the call reports OutOfMemory and the device sees nothing.
    std::int64_t AllocationLimit = std::numeric_limits<std::int64_t>::max();
    bool FailBegin = false;
    bool FailEnd = false;

    // --- the print dialog ---
    bool DialogConfirms = true;
    // What the user picks in the dialog; -1 keeps the preset.
    int DialogCopies = -1;
    int DialogOrientation = -1;
    std::vector<int> DialogPresets; // the copy count each dialog opened with

    // --- what happened ---
    std::vector<TJob> Jobs;
    int StretchCalls = 0;

    bool InJob() const { return InJob_; }

    std::vector<std::string> PrinterNames() override { return Names; }
    std::string CurrentPrinterName() override
    {
        return Names.empty() || !HasCurrent ? std::string() : Names.front();
    }

    int Copies() override { return Copies_; }
    void SetCopies(int copies) override { Copies_ = std::clamp(copies, 1, std::max(1, MaxCopies)); }
    int Orientation() override { return Orientation_; }
    void SetOrientation(int orientation) override
    {
        if (orientation == 0 || orientation == 1)
            Orientation_ = orientation;
    }

    int DpiX() override { return Names.empty() ? 0 : ResolutionX; }
    int DpiY() override { return Names.empty() ? 0 : ResolutionY; }
    int PageWidth() override { return Names.empty() ? 0 : (Orientation_ == 1 ? PortraitHeight : PortraitWidth); }
    int PageHeight() override { return Names.empty() ? 0 : (Orientation_ == 1 ? PortraitWidth : PortraitHeight); }

    void SetTitle(const std::string& title) override { Title_ = title; }
    std::string Title() override { return Title_; }

    bool BeginDoc() override
    {
        if (Names.empty() || FailBegin || InJob_)
            return false;
        Jobs.push_back({Title_, Copies_, Orientation_, {}, false, false});
        InJob_ = true;
        return true;
    }

    TStretchResult StretchToDevice(const QImage& bitmap, const QRect& destination) override
    {
        const int call = StretchCalls++;
        TStretchResult result = TStretchResult::Drawn;
        if (!InJob_ || bitmap.isNull() || (FailStretchFrom >= 0 && call >= FailStretchFrom))
            result = TStretchResult::DeviceFailed;
        else if (bitmap.sizeInBytes() > AllocationLimit)
            result = TStretchResult::OutOfMemory;
        if (InJob_) {
            TStretch stretch{destination, QImage(), bitmap.size(), result};
            if (result == TStretchResult::Drawn)
                stretch.Bitmap = bitmap;
            Jobs.back().Stretches.push_back(std::move(stretch));
        }
        return result;
    }

    bool EndDoc() override
    {
        if (!InJob_)
            return false;
        InJob_ = false;
        Jobs.back().Ended = true;
        return !FailEnd;
    }

    void AbortDoc() override
    {
        if (!InJob_)
            return;
        InJob_ = false;
        Jobs.back().Aborted = true;
    }

    bool PrintDialog(int copies) override
    {
        DialogPresets.push_back(copies);
        if (Names.empty() || !DialogConfirms)
            return false;
        SetCopies(DialogCopies >= 0 ? DialogCopies : copies);
        if (DialogOrientation >= 0)
            SetOrientation(DialogOrientation);
        return true;
    }

private:
    std::string Title_;
    int Copies_ = 1;
    int Orientation_ = 0;
    bool InJob_ = false;
};
