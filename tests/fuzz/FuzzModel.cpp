// The model query's answer, as any wmic (or anything planted in its place)
// may print it: cut, trim, upper-case and match.
#include <cstdint>
#include <cstring>
#include <string>

#include "system/HostRules.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string answer(reinterpret_cast<const char*>(data), size);

    const int code = CheckModelAnswer(true, answer);
    FUZZ_CHECK(code == kModelAccepted || code == kModelMismatch || code == kModelNoLineEnd ||
               code == kModelNotFound);
    FUZZ_CHECK(CheckModelAnswer(false, answer) == kModelQueryFailed);
    FUZZ_CHECK((code == kModelAccepted) == (ModelCheckLogMessage(code) == nullptr));

    const size_t key = answer.find("Version=");
    if (key == std::string::npos) {
        FUZZ_CHECK(code == kModelNotFound);
        return 0;
    }
    const size_t lineEnd = answer.find("\r\n", key + 8);
    if (lineEnd == std::string::npos) {
        FUZZ_CHECK(code == kModelNoLineEnd);
        return 0;
    }

    std::string value;
    FUZZ_CHECK(CutModelValue(answer, value) == kModelAccepted);
    FUZZ_CHECK(value == answer.substr(key + 8, lineEnd - key - 8));

    const std::string trimmed = TrimModelValue(value);
    FUZZ_CHECK(trimmed.size() <= value.size());
    FUZZ_CHECK(value.find(trimmed) != std::string::npos);
    if (!trimmed.empty()) {
        FUZZ_CHECK(trimmed.back() != '\r' && trimmed.back() != '\n');
        FUZZ_CHECK(trimmed.front() != '\r' && trimmed.front() != '\n');
    }

    const std::string upper = UpperAscii(trimmed);
    FUZZ_CHECK(upper.size() == trimmed.size());
    for (size_t i = 0; i < upper.size(); ++i) {
        FUZZ_CHECK(!(upper[i] >= 'a' && upper[i] <= 'z'));
        if (!(trimmed[i] >= 'a' && trimmed[i] <= 'z'))
            FUZZ_CHECK(upper[i] == trimmed[i]);
    }

    const int model = FindAcceptedModel(upper);
    FUZZ_CHECK(model >= -1 && model < 3);
    if (model >= 0) {
        FUZZ_CHECK(upper.find(kAcceptedModels[model]) != std::string::npos);
        for (int earlier = 0; earlier < model; ++earlier)
            FUZZ_CHECK(upper.find(kAcceptedModels[earlier]) == std::string::npos);
    } else {
        for (const char* m : kAcceptedModels)
            FUZZ_CHECK(upper.find(m) == std::string::npos);
    }
    FUZZ_CHECK((code == kModelAccepted) == (model >= 0));
    return 0;
}
