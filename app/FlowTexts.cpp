#include "app/FlowTexts.h"

#include <cstdint>
#include <optional>

#include "res/version.h"
#include "system/ResultCodes.h"

int g_nLanguage = 1;

const wchar_t* const kToolId = L"10149";
const wchar_t* const kToolVersion = VELMORA_VERSION_WIDE;

namespace FlowLog {
const char* const kSetMsgWndFailed = "设置接收消息窗口指针失败";
const char* const kSystemNotSupported = "此工具不支持当前系统";
const char* const kFeedbackLoadFailed = "加载反馈DLL失败";
const char* const kFeedbackInitFailed = "初始化反馈DLL失败";
const char* const kHostThreadFailed = "开始获取本机信息线程失败";
const char* const kHostWorkerFailed = "开始确认主机信息失败";
}  // namespace FlowLog

namespace {
struct Row { FlowText id; const wchar_t* chinese; const wchar_t* english; };
const Row kTexts[] = {
    {FlowText::ToolInitFailed, L"工具初始化失败", L"Tool initialization failed"},
    {FlowText::SystemNotSupported, L"此工具不支持当前系统", L"The tool does not support the current operating system"},
    {FlowText::NewVersionAvailable, L"检测到当前工具有新的版本更新，请下载最新版本使用。",
     L"检测到当前工具有新的版本更新，请下载最新版本使用。"},
    {FlowText::HostThreadFailed, L"确认本机信息失败", L"确认本机信息失败"},
    {FlowText::HostWorkerFailed, L"确认主机信息失败。", L"确认主机信息失败。"},
    {FlowText::HostCheckRunning, L"正在确认主机信息，请稍等", L"正在确认主机信息，请稍等"},
    {FlowText::ModelMismatch, L"您机器的主机信息与工具指定的机型不符，仔细确认机型后再使用本工具",
     L"Your machine does not match this tool. Confirm the model carefully before using it. "},
    {FlowText::HostInfoFailed, L"确认本机信息失败，请与软件提拱商联系，点击“确定”退出",
     L"确认本机信息失败，请与软件提拱商联系，点击“确定”退出"},
    {FlowText::RepairStartFailed, L"修复方案安装失败。", L"修复方案安装失败。"},
    {FlowText::RepairRunning, L"修复方案部署安装中，请稍后", L"The repair solution is going on. Please wait"},
    {FlowText::RestartQuestion, L"修复方案安装完成，重启计算机后生效, 是否重启？",
     L"Repair process completed！Please restart your computer."},
    {FlowText::RepairFailed, L"修复方案安装失败", L"修复方案安装失败"},
};
}  // namespace

const wchar_t* GetFlowText(FlowText id, int language)
{
    for (const Row& r : kTexts)
        if (r.id == id)
            return language == 1 ? r.chinese : r.english;
    return L"";
}

const wchar_t* GetFlowText(FlowText id)
{
    return GetFlowText(id, g_nLanguage);
}

int PleaseWaitLayoutMode(int language)
{
    return language == 1 ? 2 : 5;
}

HostResultReaction ReactToHostResult(uintptr_t code)
{
    // A code no worker sends (0, above 7) is ignored.
    const std::optional<EHostResult> result = HostResultOfCode(code);
    if (!result)
        return {false, false, FlowText::HostInfoFailed};
    switch (*result) {
    case EHostResult::Accepted:
        return {true, false, FlowText::HostInfoFailed};
    case EHostResult::ModelMismatch:
    case EHostResult::NoListedDevice:
        return {false, true, FlowText::ModelMismatch};
    case EHostResult::ModelNoLineEnd:
    case EHostResult::ModelNotFound:
    case EHostResult::ModelQueryFailed:
    case EHostResult::DeviceListFailed:
        break;
    }
    return {false, true, FlowText::HostInfoFailed};
}

SEndingSteps StepsOfEnding(EWindowEnding ending)
{
    switch (ending) {
    case EWindowEnding::Closed:
        return {true, true};
    case EWindowEnding::HostRefused:
        return {false, true};
    case EWindowEnding::Stopped:
        break;
    }
    return {false, false};
}
