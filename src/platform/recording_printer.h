#pragma once

#include "platform/printer.h"

#include <QImage>
#include <QRect>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace orvanto {

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
        int Page = 0;  // from 0, within its job
    };
    struct TJob {
        std::string Title;
        int Copies = 1;
        int Orientation = 0;
        std::vector<TStretch> Stretches;
        bool Ended = false;
        bool Aborted = false; // abandoned: nothing of it printed
        int Pages = 1;
        std::string Printer;
        std::string Paper;
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
    // The unprintable margins of the paper upright, device pixels; a
    // landscape page begins at the paper's bottom margin and left margin.
    int PortraitLeft = 150;
    int PortraitTop = 120;
    int PortraitBottom = 200;
    // The papers each printer offers, as PWG media names; the first is the
    // one chosen at first.
    std::vector<std::string> Papers{"iso_a4_210x297mm", "na_letter_8.5x11in"};
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

    // --- the print system ---
    // Anything but Answers: the server is silent or away, so no printers
    // are listed and jobs and the dialog are refused.
    TServerState Server = TServerState::Answers;
    std::string ServerName = "printhost";
    bool Stopped = false;
    bool Accepting = true;
    std::vector<std::string> Reasons;
    std::string StateMessage;
    // Raise it after changing the fields above, as the watcher does when
    // the server's answer changes.
    std::uint64_t FactsGeneration = 0;
    // The last job's status: EndDoc makes it Printing on the current
    // printer; tests move it on from there.
    TJobStatus Job;
    // What WaitForHandOver answers, and the limits it was asked to wait.
    bool HandOverAccepted = true;
    std::vector<std::chrono::milliseconds> HandOverWaits;
    int CancelCalls = 0;

    // --- the print dialog ---
    bool DialogConfirms = true;
    // What the user picks in the dialog; -1 keeps the preset.
    int DialogCopies = -1;
    int DialogOrientation = -1;
    std::vector<int> DialogPresets; // the copy count each dialog opened with

    // --- what happened ---
    std::vector<TJob> Jobs;
    int StretchCalls = 0;
    // Runs at the start of BeginDoc, StretchToDevice and EndDoc, named so,
    // in the thread that prints: a test acts there while the job is under way.
    std::function<void(const std::string& call)> OnCall;

    bool InJob() const { return FInJob; }

    std::vector<std::string> PrinterNames() override
    {
        return Server == TServerState::Answers ? Names : std::vector<std::string>();
    }
    std::string CurrentPrinterName() override
    {
        if (Names.empty() || !HasCurrent || Server != TServerState::Answers)
            return std::string();
        return std::find(Names.begin(), Names.end(), FSelected) != Names.end() ? FSelected : Names.front();
    }
    bool SelectPrinter(const std::string& name) override
    {
        if (std::find(Names.begin(), Names.end(), name) == Names.end())
            return false;
        FSelected = name;
        HasCurrent = true;
        return true;
    }
    std::string PaperName() override
    {
        if (Names.empty())
            return std::string();
        return FPaper.empty() && !Papers.empty() ? Papers.front() : FPaper;
    }
    bool SetPaper(const std::string& name) override
    {
        if (Names.empty() || std::find(Papers.begin(), Papers.end(), name) == Papers.end())
            return false;
        FPaper = name;
        return true;
    }

    int Copies() override { return FCopies; }
    void SetCopies(int copies) override { FCopies = std::clamp(copies, 1, std::max(1, MaxCopies)); }
    int Orientation() override { return FOrientation; }
    void SetOrientation(int orientation) override
    {
        if (orientation == 0 || orientation == 1)
            FOrientation = orientation;
    }

    int DpiX() override { return Names.empty() ? 0 : ResolutionX; }
    int DpiY() override { return Names.empty() ? 0 : ResolutionY; }
    int PageWidth() override { return Names.empty() ? 0 : (FOrientation == 1 ? PortraitHeight : PortraitWidth); }
    int PageHeight() override { return Names.empty() ? 0 : (FOrientation == 1 ? PortraitWidth : PortraitHeight); }
    int PrintableLeft() override { return Names.empty() ? 0 : (FOrientation == 1 ? PortraitBottom : PortraitLeft); }
    int PrintableTop() override { return Names.empty() ? 0 : (FOrientation == 1 ? PortraitLeft : PortraitTop); }

    void SetTitle(const std::string& title) override { FTitle = title; }
    std::string Title() override { return FTitle; }

    bool BeginDoc() override
    {
        Call("BeginDoc");
        if (Names.empty() || Server != TServerState::Answers || FailBegin || FInJob)
            return false;
        Jobs.push_back({FTitle, FCopies, FOrientation, {}, false, false, 1, CurrentPrinterName(), PaperName()});
        FInJob = true;
        return true;
    }

    TStretchResult StretchToDevice(const QImage& bitmap, const QRect& destination) override
    {
        Call("StretchToDevice");
        const int call = StretchCalls++;
        TStretchResult result = TStretchResult::Drawn;
        if (!FInJob || bitmap.isNull() || (FailStretchFrom >= 0 && call >= FailStretchFrom))
            result = TStretchResult::DeviceFailed;
        else if (bitmap.sizeInBytes() > AllocationLimit)
            result = TStretchResult::OutOfMemory;
        if (FInJob) {
            TStretch stretch{destination, QImage(), bitmap.size(), result, Jobs.back().Pages - 1};
            if (result == TStretchResult::Drawn)
                stretch.Bitmap = bitmap;
            Jobs.back().Stretches.push_back(std::move(stretch));
        }
        return result;
    }

    bool NewPage() override
    {
        if (!FInJob)
            return false;
        ++Jobs.back().Pages;
        return true;
    }

    bool EndDoc() override
    {
        Call("EndDoc");
        if (!FInJob)
            return false;
        FInJob = false;
        Jobs.back().Ended = true;
        if (FailEnd)
            return false;
        Job = TJobStatus();
        Job.Phase = TJobPhase::Printing;
        Job.Printer = CurrentPrinterName();
        Job.Server = ServerName;
        Job.Id = int(Jobs.size());
        return true;
    }

    void AbortDoc() override
    {
        if (!FInJob)
            return;
        FInJob = false;
        Jobs.back().Aborted = true;
    }

    TPrinterFacts Facts() override
    {
        TPrinterFacts facts;
        facts.Server = Server;
        facts.ServerName = ServerName;
        facts.Printers = PrinterNames();
        facts.Current = CurrentPrinterName();
        facts.Stopped = Stopped;
        facts.Accepting = Accepting;
        facts.Reasons = Reasons;
        facts.Message = StateMessage;
        facts.DpiX = ResolutionX;
        facts.DpiY = ResolutionY;
        facts.Generation = FactsGeneration;
        return facts;
    }
    TJobStatus JobStatus() override { return Job; }
    void CancelJob() override { ++CancelCalls; }
    bool WaitForHandOver(std::chrono::milliseconds limit) override
    {
        HandOverWaits.push_back(limit);
        return HandOverAccepted;
    }

    bool PrintDialog(int copies) override
    {
        DialogPresets.push_back(copies);
        if (Names.empty() || Server != TServerState::Answers || !DialogConfirms)
            return false;
        SetCopies(DialogCopies >= 0 ? DialogCopies : copies);
        if (DialogOrientation >= 0)
            SetOrientation(DialogOrientation);
        return true;
    }

private:
    void Call(const std::string& name)
    {
        if (OnCall)
            OnCall(name);
    }

    std::string FTitle;
    std::string FSelected;
    std::string FPaper;
    int FCopies = 1;
    int FOrientation = 0;
    bool FInJob = false;
};

} // namespace orvanto
