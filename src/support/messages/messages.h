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
inline constexpr char NoPrinterHint[] = "No printer: add one in the system's printer settings";
inline constexpr char PartlyRead[] = "The file ends early: only part of the picture was read";
inline constexpr char PartlyReadShort[] = "Picture incomplete";
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
