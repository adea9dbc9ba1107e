// Every fixed limit of versel, declared once. The result tables and a
// station's values are sized from the data; what remains are the limits of
// the notations and of the layout of the output lines.
#pragma once

namespace versel {

// Record formats.
inline constexpr int kMaxGroupDepth = 20;     // nested groups inside the outer parentheses
inline constexpr int kMaxRepeat = 32767;      // repeat counts
inline constexpr int kMaxFieldWidth = 127;    // w, d, m and e of I, B, O, Z, F, E, D, G, L
inline constexpr int kMaxCount = 32767;       // A widths, X and T counts
inline constexpr int kMaxScale = 127;         // |k| of kP
inline constexpr int kFormatCacheSize = 256;  // translated formats kept for reuse

// Text settings of a run.
inline constexpr int kFileNameLength = 40;
inline constexpr int kFormatTextLength = 30;
inline constexpr int kFirstLineLength = 80;   // a data file's first line, read by choices 5 and 6
inline constexpr int kViewerLineLength = 70;  // the part of a data line the viewer shows

// The climate mask and one station.
inline constexpr int kMaskLength = 60;        // five calendar years of months
inline constexpr int kMaxVariables = 24;      // climate variables per output year: a tsf line
inline constexpr int kLineLength = 100;       // a data line as echoed and copied
// Years a year line may carry: far beyond any calendar, near enough to zero
// that every year label and span stays a 32-bit integer.
inline constexpr long kMaxYearMagnitude = 999999999L;

}  // namespace versel
