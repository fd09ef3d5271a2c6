#pragma once
// The one message dialog through which the program talks to the user.

#include <QFlags>
#include <QString>

class QWidget;

namespace tarsel {

enum class MsgKind {
    Warning,       // "Uyarı", warning sound
    Error,         // "Hata", error (stop) sound
    Information,   // "Bilgi", information sound
    Confirmation,  // a question: "Soru", question sound
    Custom,        // the application's name as title, no icon, no sound
};

enum class MsgButton : unsigned {
    None = 0,
    Yes = 1u << 0,
    No = 1u << 1,
    Ok = 1u << 2,
    Cancel = 1u << 3,
    Abort = 1u << 4,
    Retry = 1u << 5,
    Ignore = 1u << 6,
    YesToAll = 1u << 7,
    NoToAll = 1u << 8,
    Help = 1u << 9,
};
Q_DECLARE_FLAGS(MsgButtons, MsgButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(MsgButtons)

// Results returned by ShowMessageBox.
enum MsgResult : int {
    kResultNone = 0,
    kResultOk = 1,
    kResultCancel = 2,
    kResultAbort = 3,
    kResultRetry = 4,
    kResultIgnore = 5,
    kResultYes = 6,
    kResultNo = 7,
    kResultNoToAll = 9,
    kResultYesToAll = 10,
};

// Shows a modal message dialog centred on the screen with the kind's title,
// icon and sound and the requested buttons (Turkish captions, in the order
// Evet, Hayır, Tamam, Vazgeç, İptal, Tekrar, Atla, Tümüne Evet, Tümüne Hayır,
// Yardım), and returns the pressed button's result (MsgResult). The default
// button has the focus when the dialog opens; when it is not among the
// buttons, the first button is the default.
//
// Escape and the window's close box answer with: Cancel when present, else No
// when present, else the only button when there is just one that closes the
// dialog; with any other set (e.g. İptal/Tekrar/Atla) they do nothing and a
// button must be pressed. "Yardım" does not close the dialog (the help
// context is not used). An empty set shows "Tamam".
//
// UI thread only (asserted; a release build called from another thread hands
// the dialog over to the UI thread and waits for the answer).
int ShowMessageBox(const QString &text, MsgKind kind, MsgButtons buttons, int helpContext,
                   MsgButton defaultButton, QWidget *parent = nullptr);

// Plays the kind's desktop event sound, if the desktop has a sound player
// ("canberra-gtk-play"); otherwise nothing (no beep). Returns immediately.
void PlayKindSound(MsgKind kind);

// Title of the dialog for a kind ("Uyarı", "Hata", "Bilgi", "Soru"; the
// application's display name for Custom).
QString MessageKindTitle(MsgKind kind);

// Caption of a button ("Evet", "Hayır", ...); empty for None.
QString ButtonCaption(MsgButton button);

// Result of a button (6 for Yes, ...); kResultNone for Help and None.
int ButtonResult(MsgButton button);

// The freedesktop sound name played for a kind; empty for Custom.
QString KindSoundName(MsgKind kind);

// The button Escape and the close box stand for (rule above); None when
// they do nothing.
MsgButton EscapeButtonFor(MsgButtons buttons);

}  // namespace tarsel
