#pragma once
#include <cstdint>
#include <string>

// The time text handed to the feedback library: seconds since 1970-01-01 UTC,
// low 32 bits as a signed decimal ("%d").
std::wstring FormatFeedbackTime(int64_t secondsSince1970);
