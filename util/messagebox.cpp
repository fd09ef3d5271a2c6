#include "util/messagebox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>

namespace tarsel {

namespace {

struct ButtonInfo {
    MsgButton button;
    const char *caption;  // UTF-8
    int result;
    QMessageBox::ButtonRole role;
};

// Also the order in which the buttons are added to the dialog.
const ButtonInfo kButtons[] = {
    {MsgButton::Yes, "Evet", kResultYes, QMessageBox::YesRole},
    {MsgButton::No, "Hayır", kResultNo, QMessageBox::NoRole},
    {MsgButton::Ok, "Tamam", kResultOk, QMessageBox::AcceptRole},
    {MsgButton::Cancel, "Vazgeç", kResultCancel, QMessageBox::RejectRole},
    {MsgButton::Abort, "İptal", kResultAbort, QMessageBox::RejectRole},
    {MsgButton::Retry, "Tekrar", kResultRetry, QMessageBox::AcceptRole},
    {MsgButton::Ignore, "Atla", kResultIgnore, QMessageBox::AcceptRole},
    {MsgButton::YesToAll, "Tümüne Evet", kResultYesToAll, QMessageBox::YesRole},
    {MsgButton::NoToAll, "Tümüne Hayır", kResultNoToAll, QMessageBox::NoRole},
    {MsgButton::Help, "Yardım", kResultNone, QMessageBox::HelpRole},
};

const ButtonInfo *infoFor(MsgButton b)
{
    for (const ButtonInfo &i : kButtons)
        if (i.button == b) return &i;
    return nullptr;
}

// QMessageBox that opens centred on the screen and whose Escape key and
// close box follow our own escape-button rule.
class TarselMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

    QPointer<QAbstractButton> escape;
    QPointer<QPushButton> focusFirst;

protected:
    void showEvent(QShowEvent *e) override
    {
        QMessageBox::showEvent(e);
        QScreen *screen = nullptr;
        if (parentWidget()) screen = parentWidget()->screen();
        if (!screen && QApplication::activeWindow()) screen = QApplication::activeWindow()->screen();
        if (!screen) screen = QGuiApplication::primaryScreen();
        if (screen) {
            const QRect area = screen->availableGeometry();
            const QSize size = frameGeometry().size();
            move(area.center() - QPoint(size.width() / 2, size.height() / 2));
        }
        if (focusFirst) focusFirst->setFocus(Qt::TabFocusReason);
    }

    void keyPressEvent(QKeyEvent *e) override
    {
        if (e->matches(QKeySequence::Cancel)) {
            if (escape) escape->click();
            e->accept();
            return;
        }
        QMessageBox::keyPressEvent(e);
    }

    void closeEvent(QCloseEvent *e) override
    {
        if (!escape) {
            e->ignore();
            return;
        }
        QMessageBox::closeEvent(e);
    }
};

QMessageBox::Icon iconFor(MsgKind kind)
{
    switch (kind) {
    case MsgKind::Warning: return QMessageBox::Warning;
    case MsgKind::Error: return QMessageBox::Critical;
    case MsgKind::Information: return QMessageBox::Information;
    case MsgKind::Confirmation: return QMessageBox::Question;
    case MsgKind::Custom: return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

int showOnUiThread(const QString &text, MsgKind kind, MsgButtons buttons, MsgButton defaultButton,
                   QWidget *parent)
{
    if (!(buttons & ~MsgButtons(MsgButton::Help))) buttons |= MsgButton::Ok;  // something must close it

    TarselMessageBox box(parent);
    box.setIcon(iconFor(kind));
    box.setWindowTitle(MessageKindTitle(kind));
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);

    QHash<QAbstractButton *, int> results;
    QList<QPushButton *> order;
    QPushButton *defaultBtn = nullptr;
    const MsgButton esc = EscapeButtonFor(buttons);
    for (const ButtonInfo &info : kButtons) {
        if (!(buttons & info.button)) continue;
        auto *btn = new QPushButton(QString::fromUtf8(info.caption), &box);
        btn->setObjectName(QLatin1String("msgbutton_") + QString::number(unsigned(info.button)));
        box.addButton(btn, info.role);
        results.insert(btn, info.result);
        order << btn;
        if (info.button == defaultButton) defaultBtn = btn;
        if (info.button == MsgButton::Help) {
            // The dialog closes on every button of its button box; "Yardım"
            // has nothing to show, so its click must not reach the box.
            if (auto *bb = box.findChild<QDialogButtonBox *>())
                QObject::disconnect(btn, &QAbstractButton::clicked, bb, nullptr);
        }
        if (info.button == esc) box.escape = btn;
    }
    if (!defaultBtn) defaultBtn = order.first();
    box.setDefaultButton(defaultBtn);
    if (box.escape) box.setEscapeButton(box.escape);

    // The default button first in the tab order, the others after it.
    const qsizetype at = order.indexOf(defaultBtn);
    QList<QPushButton *> tabOrder = order.mid(at) + order.mid(0, at);
    for (qsizetype i = 1; i < tabOrder.size(); ++i) QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    box.focusFirst = defaultBtn;
    defaultBtn->setFocus(Qt::TabFocusReason);

    PlayKindSound(kind);
    box.exec();

    QAbstractButton *clicked = box.clickedButton();
    if (clicked && results.contains(clicked)) return results.value(clicked);
    return box.escape ? results.value(box.escape.data(), kResultNone) : kResultNone;
}

}  // namespace

QString MessageKindTitle(MsgKind kind)
{
    switch (kind) {
    case MsgKind::Warning: return QStringLiteral("Uyarı");
    case MsgKind::Error: return QStringLiteral("Hata");
    case MsgKind::Information: return QStringLiteral("Bilgi");
    case MsgKind::Confirmation: return QStringLiteral("Soru");
    case MsgKind::Custom: return QGuiApplication::applicationDisplayName();
    }
    return {};
}

QString ButtonCaption(MsgButton button)
{
    const ButtonInfo *i = infoFor(button);
    return i ? QString::fromUtf8(i->caption) : QString();
}

int ButtonResult(MsgButton button)
{
    const ButtonInfo *i = infoFor(button);
    return i ? i->result : kResultNone;
}

QString KindSoundName(MsgKind kind)
{
    switch (kind) {
    case MsgKind::Warning: return QStringLiteral("dialog-warning");
    case MsgKind::Error: return QStringLiteral("dialog-error");
    case MsgKind::Information: return QStringLiteral("dialog-information");
    case MsgKind::Confirmation: return QStringLiteral("dialog-question");
    case MsgKind::Custom: return {};
    }
    return {};
}

MsgButton EscapeButtonFor(MsgButtons buttons)
{
    if (buttons & MsgButton::Cancel) return MsgButton::Cancel;
    if (buttons & MsgButton::No) return MsgButton::No;
    MsgButton only = MsgButton::None;
    int closing = 0;
    for (const ButtonInfo &i : kButtons) {
        if (i.button == MsgButton::Help || !(buttons & i.button)) continue;
        only = i.button;
        ++closing;
    }
    if (closing == 0) return MsgButton::Ok;  // the dialog then shows "Tamam" alone
    return closing == 1 ? only : MsgButton::None;
}

void PlayKindSound(MsgKind kind)
{
    const QString name = KindSoundName(kind);
    if (name.isEmpty()) return;
    static const QString player = QStandardPaths::findExecutable(QStringLiteral("canberra-gtk-play"));
    if (player.isEmpty()) return;
    QProcess p;
    p.setProgram(player);
    p.setArguments({QStringLiteral("-i"), name});
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.startDetached();
}

int ShowMessageBox(const QString &text, MsgKind kind, MsgButtons buttons, int helpContext,
                   MsgButton defaultButton, QWidget *parent)
{
    Q_UNUSED(helpContext);
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    Q_ASSERT_X(app, "ShowMessageBox", "needs a QApplication");
    if (!app) return kResultNone;
    const bool onUiThread = QThread::currentThread() == app->thread();
    Q_ASSERT_X(onUiThread, "ShowMessageBox", "must be called on the UI thread");
    if (onUiThread) return showOnUiThread(text, kind, buttons, defaultButton, parent);

    // Release builds: hand the dialog over rather than touching widgets here.
    int result = kResultNone;
    QMetaObject::invokeMethod(
        app, [&] { result = showOnUiThread(text, kind, buttons, defaultButton, parent); },
        Qt::BlockingQueuedConnection);
    return result;
}

}  // namespace tarsel
