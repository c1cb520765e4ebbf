// The model query's answer, as any wmic (or anything planted in its place)
// may print it: each step (cut, trim, upper-case, match) and the result code
// against the reference reading of tests/fuzz/Oracles.h.
#include <cstdint>
#include <string>

#include "system/HostRules.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/Oracles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string answer(reinterpret_cast<const char*>(data), size);
    const oracle::ModelReading want = oracle::ReadModelAnswer(answer);

    const int code = CheckModelAnswer(true, answer);
    FUZZ_CHECK(code == want.code);
    FUZZ_CHECK(CheckModelAnswer(false, answer) == kModelQueryFailed);
    FUZZ_CHECK((code == kModelAccepted) == (ModelCheckLogMessage(code) == nullptr));

    std::string value = "untouched";
    const int cut = CutModelValue(answer, value);
    if (want.code == 3 || want.code == 4) {
        FUZZ_CHECK(cut == want.code);
        return 0;
    }
    FUZZ_CHECK(cut == kModelAccepted);
    FUZZ_CHECK(value == want.cut);
    FUZZ_CHECK(TrimModelValue(value) == want.trimmed);
    FUZZ_CHECK(UpperAscii(want.trimmed) == want.upper);
    FUZZ_CHECK(FindAcceptedModel(want.upper) == want.model);
    return 0;
}
