// Geometry and button plans of the prompt box and the please-wait dialog,
// without windows: the dialogs call these and only move, show and draw.
// Rectangles are (left, top, right, bottom); s is the display scale factor.
#pragma once
#include <string>

#include "ui/SkinRules.h"

namespace prompt {

// ---- the box: a card on its shadow margin ----------------------------------
//
// The prompt box and the please-wait dialog are each the size of their
// background image, an opaque card on a transparent shadow margin (19 left
// and right, 14 top, 24 bottom, scaled). The prompt box's content window
// lies on its card.

// Size of the box: int(476 s) × int(289 s).
int BoxWidth(float s);
int BoxHeight(float s);

// The card of a box with rectangle box:
// (L + int(19 s), T + int(14 s), R − int(19 s), B − int(24 s)).
skin::Rect CardInBox(const skin::Rect& box, float s);

// The box around a card, where the content window was dragged:
// (L − int(19 s), T − int(14 s), R + int(19 s), B + int(24 s)).
skin::Rect BoxAroundCard(const skin::Rect& card, float s);

// Where the prompt's content window first goes in its box: at
// (L + 19 s, T + 14 s), sized (R − L) − 38 s by (B − T) − 38 s, each value
// truncated once (at some scales a pixel narrower than the card).
skin::Rect InitialContentRect(const skin::Rect& box, float s);

// The title strip by which the content window is dragged, from its client
// rectangle in screen coordinates: the top int(30 s) rows, less the
// int(26 s) columns at the right where the close button sits.
skin::Rect TitleStrip(const skin::Rect& clientOnScreen, float s);

// The title the content image shows in its strip ("提示"), and where it
// stands: from int(26 s) to the close button, the top int(30 s) rows.
extern const wchar_t* const kTitleText;
skin::Rect TitleTextRect(const skin::Rect& client, float s);

// Rounded-corner ellipse of the content window: int(30 s).
int ContentCornerEllipse(float s);

// ---- prompt box: content window layout ------------------------------------

struct ButtonImages {
    unsigned normal, hover, pressed, disabled;
};

// What a prompt type shows: 1 and 2 Yes / No, 3 and 4 OK / Cancel; the second
// button only for 2 and 4; the first button centred only for 1 and 3. Any
// other type is type 1 with the first button left where it is laid out. The
// texts are the ones the images show, the buttons' names.
struct ButtonPlan {
    ButtonImages first;
    ButtonImages second;
    bool secondShown = false;
    bool firstCentred = false;
    const wchar_t* firstText = L"";
    const wchar_t* secondText = L"";
};
ButtonPlan PlanForType(int promptType);

struct ContentLayout {
    skin::Rect close;
    skin::Rect first;          // left of centre
    skin::Rect firstCentred;   // alone in the middle (types 1 and 3)
    skin::Rect second;         // right of centre
    skin::Rect message;
};
// The places of the content window's controls for its client rectangle.
ContentLayout LayOutContent(const skin::Rect& client, float s);

// Parts of the content background (PNG 169, unscaled pixels) behind each
// control.
skin::Rect CloseBackgroundPart();
skin::Rect FirstBackgroundPart();
skin::Rect SecondBackgroundPart();
skin::Rect MessageBackgroundPart();

// ---- please-wait dialog ----------------------------------------------------

// The text shown: the message when it has at least two characters, else
// the default working text.
std::wstring PleaseWaitText(const std::wstring& message);

// The text static, centred vertically in the client rectangle.
skin::Rect PleaseWaitTextRect(const skin::Rect& client, float s);

// Part of the please-wait background (PNG 135, unscaled) behind the static.
skin::Rect PleaseWaitTextBackgroundPart();

}  // namespace prompt
