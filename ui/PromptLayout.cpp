#include "ui/PromptLayout.h"

#include "res/resource.h"

namespace prompt {

using skin::AddScaled;
using skin::Rect;
using skin::Scaled;

namespace {
// Transparent shadow margin of PNG 135 and 136 around the opaque card.
const int kMarginX = 19, kMarginTop = 14, kMarginBottom = 24;

float F(int v) { return static_cast<float>(v); }
int Trunc(float v) { return static_cast<int>(v); }
}  // namespace

int BoxWidth(float s) { return Scaled(476, s); }
int BoxHeight(float s) { return Scaled(289, s); }

Rect InitialContentRect(const Rect& box, float s)
{
    const int x = AddScaled(box.left, kMarginX, s);
    const int y = AddScaled(box.top, kMarginTop, s);
    const int w = Trunc(F(box.Width()) - 2 * kMarginX * s);
    const int h = Trunc(F(box.Height()) - 38 * s);
    return {x, y, x + w, y + h};
}

Rect CardInBox(const Rect& box, float s)
{
    return {box.left + Scaled(kMarginX, s), box.top + Scaled(kMarginTop, s), box.right - Scaled(kMarginX, s),
            box.bottom - Scaled(kMarginBottom, s)};
}

Rect BoxAroundCard(const Rect& card, float s)
{
    return {card.left - Scaled(kMarginX, s), card.top - Scaled(kMarginTop, s), card.right + Scaled(kMarginX, s),
            card.bottom + Scaled(kMarginBottom, s)};
}

Rect TitleStrip(const Rect& clientOnScreen, float s)
{
    Rect r = clientOnScreen;
    r.bottom = r.top + Scaled(30, s);
    r.right = r.right - Scaled(26, s);
    return r;
}

const wchar_t* const kTitleText = L"提示";

Rect TitleTextRect(const Rect& c, float s)
{
    return {c.left + Scaled(26, s), c.top, c.right - Scaled(30, s), c.top + Scaled(30, s)};
}

int ContentCornerEllipse(float s) { return Scaled(30, s); }

ButtonPlan PlanForType(int promptType)
{
    const ButtonImages yes{IDB_PNG_YES_NORMAL, IDB_PNG_YES_HOVER, IDB_PNG_YES_PRESSED, IDB_PNG_YES_PRESSED};
    const ButtonImages no{IDB_PNG_NO_NORMAL, IDB_PNG_NO_HOVER, IDB_PNG_NO_PRESSED, IDB_PNG_NO_PRESSED};
    const ButtonImages ok{IDB_PNG_OK_NORMAL, IDB_PNG_OK_HOVER, IDB_PNG_OK_PRESSED, IDB_PNG_OK_PRESSED};
    const ButtonImages cancel{IDB_PNG_CANCEL_NORMAL, IDB_PNG_CANCEL_HOVER, IDB_PNG_CANCEL_PRESSED,
                              IDB_PNG_CANCEL_PRESSED};
    const wchar_t *yesText = L"是", *noText = L"否", *okText = L"确定", *cancelText = L"取消";
    switch (promptType) {
    case 1: return {yes, no, false, true, yesText, noText};
    case 2: return {yes, no, true, false, yesText, noText};
    case 3: return {ok, cancel, false, true, okText, cancelText};
    case 4: return {ok, cancel, true, false, okText, cancelText};
    default: return {yes, no, false, false, yesText, noText};
    }
}

ContentLayout LayOutContent(const Rect& c, float s)
{
    ContentLayout l;
    const int half = c.Width() / 2;
    const int closeLeft = c.right - Scaled(30, s), closeTop = c.top + Scaled(12, s);
    l.close = {closeLeft, closeTop, closeLeft + Scaled(13, s), closeTop + Scaled(13, s)};

    const int top = c.bottom - Scaled(44, s);
    const int bottom = top + Scaled(34, s);
    const int width = Scaled(118, s);
    const int firstLeft = Trunc(F(half) - 118 * s - 12 * s);
    const int secondLeft = Trunc(F(half) + 12 * s);
    const int centredLeft = Trunc(F(half) - 118 * s / 2);
    l.first = {firstLeft, top, firstLeft + width, bottom};
    l.second = {secondLeft, top, secondLeft + width, bottom};
    l.firstCentred = {centredLeft, top, centredLeft + width, bottom};

    l.message = {c.left + Scaled(20, s), c.top + Scaled(40, s), c.right - Scaled(20, s), c.bottom - Scaled(50, s)};
    return l;
}

Rect CloseBackgroundPart() { return {408, 12, 421, 25}; }
Rect FirstBackgroundPart() { return {152, 207, 270, 241}; }
Rect SecondBackgroundPart() { return {231, 207, 349, 241}; }
Rect MessageBackgroundPart() { return {20, 40, 418, 197}; }

std::wstring PleaseWaitText(const std::wstring& message)
{
    return message.size() >= 2 ? message : std::wstring(L"正在修复，请稍等");
}

Rect PleaseWaitTextRect(const Rect& c, float s)
{
    const int top = c.top + Trunc(F(c.Height() / 2) - 22 * s);
    return {c.left + Scaled(39, s), top, c.right - Scaled(39, s), top + Scaled(40, s)};
}

Rect PleaseWaitTextBackgroundPart() { return {39, 122, 437, 162}; }

}  // namespace prompt
