#include "ui/SkinRules.h"

namespace skin {

int Scaled(int len, float scale)
{
    return static_cast<int>(static_cast<float>(len) * scale);
}

int AddScaled(int base, int len, float scale)
{
    return static_cast<int>(static_cast<float>(base) + static_cast<float>(len) * scale);
}

Rect CropAround(const Rect& src, int imageW, int imageH, int margin)
{
    if (src.Width() <= 0 || src.Height() <= 0 || src.left < 0 || src.top < 0 || src.right > imageW ||
        src.bottom > imageH)
        return {};
    auto clamp = [](int v, int hi) { return v < 0 ? 0 : v > hi ? hi : v; };
    return {clamp(src.left - margin, imageW), clamp(src.top - margin, imageH), clamp(src.right + margin, imageW),
            clamp(src.bottom + margin, imageH)};
}

int StateImageIndex(bool windowEnabled, int state)
{
    if (!windowEnabled)
        return 3;
    switch (state) {
    case STATE_NORMAL: return 0;
    case STATE_HOVER: return 1;
    case STATE_PRESSED: return 2;
    default: return -1;
    }
}

bool CButtonStateMachine::OnMouseMove(bool enabled)
{
    if (!enabled || m_bTracking)
        return false;
    m_bTracking = true;   // set whatever the tracking call answers
    return true;
}

bool CButtonStateMachine::OnHover(bool enabled, bool pointInside)
{
    if (!enabled || !pointInside || m_nState == STATE_HOVER)
        return false;
    m_nState = STATE_HOVER;
    return true;
}

bool CButtonStateMachine::OnPress(bool enabled, bool pointInside)
{
    if (!enabled || !pointInside || m_nState == STATE_PRESSED)
        return false;
    m_nState = STATE_PRESSED;
    return true;
}

bool CButtonStateMachine::OnLeave(bool enabled)
{
    m_bTracking = false;
    if (!enabled || m_nState == STATE_NORMAL)
        return false;
    m_nState = STATE_NORMAL;
    return true;
}

void PngButtonSourceSize(int imageW, int imageH, float scale, int* srcW, int* srcH)
{
    const int cut = scale > 1.0f ? 1 : 0;
    *srcW = imageW - cut;
    *srcH = imageH - cut;
}

Rect CheckBoxRect(int clientLeft, int clientHeight, float scale)
{
    Rect r;
    r.left = clientLeft;
    r.top = clientHeight / 2 - Scaled(8, scale);
    r.right = r.left + Scaled(16, scale);
    r.bottom = r.top + Scaled(16, scale);
    return r;
}

int CheckCellLeft(int checkState)
{
    return checkState == 1 ? 16 : 0;
}

int CheckCaptionOffset(float scale)
{
    return Scaled(2, scale) + Scaled(16, scale);
}

TextLayout DrawTextLayout(int mode)
{
    const unsigned wrapMeasure = TF_CALCRECT | TF_EXTERNALLEADING | TF_WORDBREAK;   // 0x610
    const unsigned wrap = TF_EXTERNALLEADING | TF_WORDBREAK;                          // 0x210
    const unsigned line = TF_EXTERNALLEADING | TF_SINGLELINE | TF_VCENTER;            // 0x224
    switch (mode) {
    case 0: return {true, true, wrapMeasure, wrap | TF_VCENTER};
    case 1: return {true, false, 0, line};
    case 2: return {true, false, 0, line | TF_CENTER};
    case 3: return {true, true, wrapMeasure, wrap | TF_VCENTER | TF_RIGHT};
    case 4: return {true, false, 0, line};
    case 5: return {true, true, wrapMeasure, wrap | TF_VCENTER | TF_CENTER};
    case 6: return {true, false, 0, wrap};
    case 7: return {true, true, wrapMeasure | TF_EDITCONTROL, wrap | TF_EDITCONTROL};
    default: return {};
    }
}

TextLayout StateInfoLayout(int mode)
{
    const unsigned measure = TF_CALCRECT | TF_WORDBREAK;   // 0x410
    const unsigned line = TF_SINGLELINE | TF_VCENTER;      // 0x24
    const unsigned wrap = TF_WORDBREAK | TF_VCENTER;       // 0x14
    switch (mode) {
    case 2: return {true, false, 0, line | TF_CENTER};
    case 3: return {true, false, 0, line | TF_RIGHT};
    case 4: return {true, true, measure, wrap};
    case 5: return {true, true, measure, wrap | TF_CENTER};
    case 6: return {true, true, measure, wrap | TF_RIGHT};
    default: return {true, false, 0, line};
    }
}

int CentringOffset(int clientHeight, int measuredHeight)
{
    return (clientHeight - measuredHeight) / 2;
}

PlainColours PlainButtonColours(int face)
{
    switch (face) {
    case 1: return {SC_BTNFACE, SC_BTNTEXT, SC_HIGHLIGHT, 2};
    case 2: return {SC_HIGHLIGHT, SC_HIGHLIGHTTEXT, SC_HIGHLIGHTTEXT, 1};
    case 3: return {SC_BTNFACE, SC_GRAYTEXT, SC_GRAYTEXT, 1};
    case 0: return {SC_BTNFACE, SC_BTNTEXT, SC_BTNTEXT, 1};
    default: return {SC_BTNFACE, SC_BTNTEXT, SC_BTNTEXT, 0};
    }
}

PlainColours PlainTextColours(bool enabled)
{
    return {SC_WINDOW, enabled ? SC_WINDOWTEXT : SC_GRAYTEXT, enabled ? SC_WINDOWTEXT : SC_GRAYTEXT, 1};
}

int NextDotCount(int count)
{
    return (count >= 0 && count < 3) ? count + 1 : 0;
}

std::wstring DotSuffix(int count)
{
    if (count < 1 || count > 3)
        return std::wstring();
    return std::wstring(static_cast<size_t>(count), L'.');
}

}  // namespace skin
