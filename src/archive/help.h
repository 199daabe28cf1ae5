#pragma once

// The built-in help: HTML pages with their pictures that travel as an archive
// inside a carrier picture. The pages are unpacked on first demand into the
// data area's "Help/<title>/" folder and handed to the desktop, which shows
// them in the user's web browser; when the service ends it deletes what it
// unpacked (the "Help" folder itself stays).
//
// Unpacking never overwrites a page already there (a user may have edited
// one), writes each page only under a plain entry name (an entry named with
// a folder separator or ".." is skipped: it could land outside the folder),
// and marks the folder complete only after every page was written, so a run
// that was interrupted half-way is finished by the next one.
//
// No operation throws; failures are reported by the result with the cause
// in LastError().

#include "archive/zip_box.h"

#include <string>

class QImage;

namespace orvanto {

class THelp {
public:
    // The title names the folder (empty: a built-in name; "*", "?", blank,
    // "/" and "\" become "_"). The carrier, when given, is read as a complete
    // bitmap file image and then shrunk to 1 x 1 pixel: its pixels are no
    // longer needed. A carrier without an archive is not reported here; it
    // shows later as "File not found" from ShowPage.
    THelp(const std::string& title, QImage* carrier);
    // Deletes the unpacked files and the title folder.
    ~THelp();
    THelp(const THelp&) = delete;
    THelp& operator=(const THelp&) = delete;

    const std::string& Title() const { return FTitle; }
    // The unpack folder, ending in "/"; computed once. Computing it creates
    // the "Help" folder, not the title folder. Empty when there is no data area.
    std::string HelpFolder();
    std::string PagePath(const std::string& page);
    // Unpacks the pages when needed and opens the page through the desktop.
    // False with "File in use" (a file blocks the folder and cannot be
    // removed), "Out of disk space" (no folder), the archive's message when a
    // page cannot be written, or "File not found" (no such page).
    bool ShowPage(const std::string& page);
    // The error box with LastError().
    void ShowLastError() const;
    const std::string& LastError() const { return FLastError; }

    // The file that marks a folder as completely unpacked.
    static const std::string& MarkerName();

private:
    bool LoadFromPicture(QImage* picture);
    bool Unpack();
    void CleanUp();

    std::string FTitle;
    std::string FHelpFolder;
    TZipBox FBox;
    std::string FLastError;
};

} // namespace orvanto
