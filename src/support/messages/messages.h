#pragma once

namespace orvanto {

// The texts the program shows when a step fails, each named once. A step
// stores its text in LastError before it runs and reports failure by its
// result; the texts are shown through Translate and never compared to find
// out what happened.
namespace Messages {

inline constexpr char OutOfMemory[] = "Out of memory";
inline constexpr char UnknownFormat[] = "Unknown format";
inline constexpr char UnsupportedFormat[] = "Unsupported format";
inline constexpr char FileNotFound[] = "File not found";
inline constexpr char FileInUse[] = "File in use";
inline constexpr char OutOfDiskSpace[] = "Out of disk space";
inline constexpr char UnexpectedError[] = "Unexpected error";
inline constexpr char TaskFailed[] = "Task failed";
inline constexpr char NoPrinterInstalled[] = "No printer installed";
inline constexpr char IndexOutOfRange[] = "Index out of range";
inline constexpr char CapacityReached[] = "Capacity reached";
inline constexpr char UnsupportedEncoding[] = "Unsupported encoding";
inline constexpr char PrintJobNotStarted[] = "The printer could not start the print job";
inline constexpr char PrinterFailedOnPage[] = "The printer failed while printing the page";
inline constexpr char PrintJobRefused[] = "The print system refused the print job";
// %s stands for the file's name.
inline constexpr char UnableToWriteTo[] = "Unable to write to %s";
inline constexpr char NoWebBrowser[] = "No web browser could be started to show the page";
inline constexpr char NoPrinterHint[] = "No printer: add one in the system's printer settings";
inline constexpr char PartlyRead[] = "The file ends early: only part of the picture was read";
inline constexpr char PartlyReadShort[] = "Picture incomplete";
// The print system as the status bar and the first panel tell it. %1
// stands for a printer's or the print server's name, %2 for a reason.
inline constexpr char LookingForPrinters[] = "Looking for printers…";
inline constexpr char ServerSilent[] = "The print server does not answer: %1";
// Their forms for a narrow window, which still say what holds the printer
// back rather than that there is none.
inline constexpr char LookingForPrintersShort[] = "Looking…";
inline constexpr char ServerSilentShort[] = "No answer";
inline constexpr char PrintingOn[] = "Printing on %1…";
inline constexpr char PrintedOn[] = "Printed on %1";
inline constexpr char PrinterStopped[] = "Printer %1 stopped: %2";
inline constexpr char JobCancelled[] = "Job cancelled";
inline constexpr char PrinterRefuses[] = "Printer %1 does not accept jobs";
inline constexpr char PrinterGone[] = "Printer %1 is no longer there";
inline constexpr char JobAborted[] = "The print system gave up the job on %1";
inline constexpr char ServerUnreachable[] = "The print server cannot be reached: %1";
inline constexpr char WaitingForHandOver[] = "Waiting until the print job has reached the print system…";
// The reasons, in the words of "Printer %1 stopped: %2".
inline constexpr char ReasonOutOfPaper[] = "out of paper";
inline constexpr char ReasonPaperJam[] = "paper jam";
inline constexpr char ReasonDoorOpen[] = "a door or cover is open";
inline constexpr char ReasonOutOfToner[] = "out of toner or ink";
inline constexpr char ReasonOffline[] = "offline";
inline constexpr char ReasonPaused[] = "paused";
inline constexpr char ReasonOther[] = "it needs attention";
inline constexpr char PrintResolution[] = "Picture pixels per inch on paper";
inline constexpr char SoftPrint[] =
    "Below 150 picture pixels per inch the print looks soft: print the picture smaller, or use a larger picture";

inline constexpr char TypeSizeAboveZero[] = "Type a size larger than zero";
inline constexpr char LargestSize[] = "The largest size is 10 m";
inline constexpr char OverlapClamped[] = "The overlap must be smaller than the sheet: half of it is used";
inline constexpr char Stretched[] = "The picture is stretched: Scale to Page or Exact Size keeps its shape";
inline constexpr char StoredPrinterGone[] = "The stored printer is not available: printing on the default printer";
// %d stands for the number of sheets.
inline constexpr char ManySheets[] = "This poster takes %d sheets. Print them all?";
inline constexpr char ManySheetsUnattended[] = "A poster of more than 100 sheets is not printed unattended";

} // namespace Messages

// Some of the same texts as sentences, ending in a full stop, as the
// portable pixmap and X Bitmap codecs and three raster operations show them.
namespace Sentences {

inline constexpr char OutOfMemory[] = "Out of memory.";
inline constexpr char UnknownFormat[] = "Unknown format.";
inline constexpr char InvalidDimensions[] = "Invalid dimensions.";
inline constexpr char FileNotFound[] = "File not found.";
inline constexpr char FileInUse[] = "File in use.";
inline constexpr char StreamWriteFailure[] = "Stream write failure.";
inline constexpr char UndefinedImageHandle[] = "Undefined image handle.";

} // namespace Sentences

} // namespace orvanto
