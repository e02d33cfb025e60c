#pragma once

// The exit statuses of vandrelctl; scripts rely on them.
namespace vandrel::exit_status {

inline constexpr int Success = 0;
inline constexpr int Refused = 1;  // the converter refused, or the operation did not complete
inline constexpr int Differ = 1;   // config diff: the records differ
inline constexpr int Usage = 2;    // bad command line
inline constexpr int NoLink = 3;   // the port could not be opened
inline constexpr int NoAnswer = 4; // the session gave up waiting for the converter
inline constexpr int BadFile = 5;  // an input file was rejected, or an output file not written

} // namespace vandrel::exit_status
