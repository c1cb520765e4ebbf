#include "system/ResultCodes.h"

namespace {

// The designed codes, result by result.
const struct { EHostResult result; uintptr_t code; } kHostCodes[] = {
    {EHostResult::Accepted, 1},         {EHostResult::ModelMismatch, 2},    {EHostResult::ModelNoLineEnd, 3},
    {EHostResult::ModelNotFound, 4},    {EHostResult::ModelQueryFailed, 5}, {EHostResult::DeviceListFailed, 6},
    {EHostResult::NoListedDevice, 7},
};
const struct { ERepairResult result; uintptr_t code; } kRepairCodes[] = {
    {ERepairResult::Done, 1},
    {ERepairResult::Failed, 2},
};

template <class Result, class Table>
uintptr_t CodeOf(const Table& table, Result result)
{
    for (const auto& row : table)
        if (row.result == result)
            return row.code;
    return 0;   // unreachable: every result has its row
}

template <class Result, class Table>
std::optional<Result> ResultOf(const Table& table, uintptr_t code)
{
    for (const auto& row : table)
        if (row.code == code)
            return row.result;
    return std::nullopt;
}

}  // namespace

uintptr_t MessageCode(EHostResult result)
{
    return CodeOf(kHostCodes, result);
}

uintptr_t MessageCode(ERepairResult result)
{
    return CodeOf(kRepairCodes, result);
}

std::optional<EHostResult> HostResultOfCode(uintptr_t code)
{
    return ResultOf<EHostResult>(kHostCodes, code);
}

std::optional<ERepairResult> RepairResultOfCode(uintptr_t code)
{
    return ResultOf<ERepairResult>(kRepairCodes, code);
}
