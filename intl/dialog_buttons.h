// The factory of the OK, Cancel and Help buttons that the memo dialog and the
// record view put on their forms, styled by the global strings object at the
// moment each button is made.
#pragma once

class QWidget;

namespace toolkit {
class GlyphButton;
}

namespace intl {

enum class TwwDialogButtonKind { dbkOK, dbkCancel, dbkHelp };

// A hidden button on form, 77 by 24 pixels at 96 dots per inch scaled to the
// screen's logical resolution. With OKCancelBitmapped it shows its kind's
// glyph at the left with margin 2 and automatic spacing, is 27 high, and uses
// "MS Sans Serif" of height -11 in the window-text colour with
// DialogFontStyle; otherwise it is a plain button in the form's font. OK is
// captioned BtnOKCaption and ends a dialog with Accepted; Cancel is captioned
// BtnCancelCaption, ends it with Rejected and answers Escape; Help is
// captioned "Help" and does nothing of itself.
toolkit::GlyphButton* CreateDialogButton(QWidget* form, TwwDialogButtonKind kind);

// pixels at 96 dots per inch, scaled to dotsPerInch and rounded.
int ScaledToScreen(int pixels, double dotsPerInch);

}  // namespace intl
