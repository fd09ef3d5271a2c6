// The message dialog: captions, results, default button, Escape rule.

#include "util/messagebox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace tarsel;

namespace {

TEST(MessageBoxTables, CaptionsAndResults)
{
    const struct {
        MsgButton button;
        const char *caption;
        int result;
    } cases[] = {
        {MsgButton::Yes, "Evet", 6},          {MsgButton::No, "Hayır", 7},
        {MsgButton::Ok, "Tamam", 1},          {MsgButton::Cancel, "Vazgeç", 2},
        {MsgButton::Abort, "İptal", 3},       {MsgButton::Retry, "Tekrar", 4},
        {MsgButton::Ignore, "Atla", 5},       {MsgButton::YesToAll, "Tümüne Evet", 10},
        {MsgButton::NoToAll, "Tümüne Hayır", 9}, {MsgButton::Help, "Yardım", 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ButtonCaption(c.button), QString::fromUtf8(c.caption));
        EXPECT_EQ(ButtonResult(c.button), c.result) << c.caption;
    }
    EXPECT_EQ(ButtonCaption(MsgButton::None), QString());
}

TEST(MessageBoxTables, TitlesAndSounds)
{
    const struct {
        MsgKind kind;
        const char *title;
        const char *sound;
    } cases[] = {
        {MsgKind::Warning, "Uyarı", "dialog-warning"},
        {MsgKind::Error, "Hata", "dialog-error"},
        {MsgKind::Information, "Bilgi", "dialog-information"},
        {MsgKind::Confirmation, "Soru", "dialog-question"},
        {MsgKind::Custom, "Tarsel Otomotiv B2B Programı", ""},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(MessageKindTitle(c.kind), QString::fromUtf8(c.title));
        EXPECT_EQ(KindSoundName(c.kind), QString::fromLatin1(c.sound));
    }
}

TEST(MessageBoxTables, EscapeRule)
{
    using B = MsgButton;
    const struct {
        MsgButtons buttons;
        MsgButton escape;
    } cases[] = {
        {B::Yes | B::No | B::Cancel, B::Cancel},
        {B::Ok | B::Cancel, B::Cancel},
        {B::Yes | B::No, B::No},
        {B::Yes | B::No | B::NoToAll | B::YesToAll, B::No},
        {MsgButtons(B::Ok), B::Ok},
        {B::Ok | B::Help, B::Ok},
        {MsgButtons(B::Yes), B::Yes},
        {B::Abort | B::Retry | B::Ignore, B::None},
        {B::Yes | B::YesToAll, B::None},
        {MsgButtons(), B::Ok},  // an empty set shows "Tamam"
    };
    for (const auto &c : cases) EXPECT_EQ(EscapeButtonFor(c.buttons), c.escape) << c.buttons.toInt();
}

QPushButton *buttonWithText(QMessageBox *box, const QString &text)
{
    for (QAbstractButton *b : box->buttons())
        if (b->text() == text) return qobject_cast<QPushButton *>(b);
    return nullptr;
}

// Runs `step` on the dialog once it is open. If the dialog is still open after
// the step, it is closed by force so that a broken test cannot hang.
void WhenOpen(std::function<void(QMessageBox *)> step, int attempt = 0)
{
    QTimer::singleShot(attempt == 0 ? 0 : 20, [step, attempt] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            if (attempt < 200) WhenOpen(step, attempt + 1);
            else ADD_FAILURE() << "the dialog did not open";
            return;
        }
        step(box);
    });
}

// Safety net: `box` must be gone once the events queued so far are handled.
void ForceCloseLater(QMessageBox *box)
{
    QTimer::singleShot(0, [guard = QPointer<QMessageBox>(box)] {
        if (guard && guard->isVisible()) {
            ADD_FAILURE() << "the dialog was still open";
            guard->done(-1);
        }
    });
}

TEST(ShowMessageBox, QuestionWithDefaultNoOpensFocusedOnNoAndYesReturns6)
{
    QString focused, title, defaultText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList captions;
    QPoint centreOffset;
    WhenOpen([&](QMessageBox *box) {
        title = box->windowTitle();
        icon = box->icon();
        for (QAbstractButton *b : box->buttons()) captions << b->text();
        if (auto *w = qobject_cast<QPushButton *>(box->focusWidget())) focused = w->text();
        if (box->defaultButton()) defaultText = box->defaultButton()->text();
        centreOffset = box->frameGeometry().center() - box->screen()->availableGeometry().center();
        QPushButton *yes = buttonWithText(box, QStringLiteral("Evet"));
        ASSERT_TRUE(yes);
        QTest::mouseClick(yes, Qt::LeftButton);
        ForceCloseLater(box);
    });
    const int result = ShowMessageBox(QStringLiteral("Programdan Çıkmak İstiyor musunuz ?"), MsgKind::Confirmation,
                                      MsgButton::Yes | MsgButton::No, 0, MsgButton::No);
    EXPECT_EQ(result, 6);
    EXPECT_EQ(focused, QStringLiteral("Hayır"));
    EXPECT_EQ(defaultText, QStringLiteral("Hayır"));
    EXPECT_EQ(title, QStringLiteral("Soru"));
    EXPECT_EQ(icon, QMessageBox::Question);
    captions.sort();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("Evet"), QStringLiteral("Hayır")}));
    EXPECT_LE(std::abs(centreOffset.x()), 2);
    EXPECT_LE(std::abs(centreOffset.y()), 2);
}

TEST(ShowMessageBox, EnterPressesTheDefaultButton)
{
    const struct {
        MsgButtons buttons;
        MsgButton def;
        int expected;
    } cases[] = {
        {MsgButton::Yes | MsgButton::No, MsgButton::No, 7},
        {MsgButton::Yes | MsgButton::No, MsgButton::Yes, 6},
        {MsgButton::Ok | MsgButton::Cancel, MsgButton::Cancel, 2},
        {MsgButton::Abort | MsgButton::Retry | MsgButton::Ignore, MsgButton::Retry, 4},
        {MsgButton::Yes | MsgButton::No, MsgButton::Ok, 6},  // default not present: the first button
    };
    for (const auto &c : cases) {
        WhenOpen([](QMessageBox *box) {
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
            ForceCloseLater(box);
        });
        EXPECT_EQ(ShowMessageBox(QStringLiteral("?"), MsgKind::Warning, c.buttons, 0, c.def), c.expected);
    }
}

TEST(ShowMessageBox, EscapeAndCloseBoxFollowTheRule)
{
    using B = MsgButton;
    const struct {
        MsgButtons buttons;
        bool useCloseBox;
        int expected;
    } cases[] = {
        {B::Yes | B::No | B::Cancel, false, 2}, {B::Yes | B::No | B::Cancel, true, 2},
        {B::Yes | B::No, false, 7},             {B::Yes | B::No, true, 7},
        {MsgButtons(B::Ok), false, 1},          {B::Ok | B::Help, true, 1},
    };
    for (const auto &c : cases) {
        WhenOpen([useCloseBox = c.useCloseBox](QMessageBox *box) {
            if (useCloseBox)
                box->close();
            else
                QTest::keyClick(box, Qt::Key_Escape);
            ForceCloseLater(box);
        });
        EXPECT_EQ(ShowMessageBox(QStringLiteral("?"), MsgKind::Information, c.buttons, 0, B::None), c.expected);
    }
}

TEST(ShowMessageBox, WithoutAnEscapeButtonEscapeAndCloseDoNothing)
{
    bool stillOpen = false;
    WhenOpen([&](QMessageBox *box) {
        QTest::keyClick(box, Qt::Key_Escape);
        box->close();
        stillOpen = box->isVisible();
        QTest::mouseClick(buttonWithText(box, QStringLiteral("Atla")), Qt::LeftButton);
        ForceCloseLater(box);
    });
    EXPECT_EQ(ShowMessageBox(QStringLiteral("?"), MsgKind::Error,
                             MsgButton::Abort | MsgButton::Retry | MsgButton::Ignore, 0, MsgButton::Retry),
              5);
    EXPECT_TRUE(stillOpen);
}

TEST(ShowMessageBox, HelpDoesNotClose)
{
    bool stillOpen = false;
    WhenOpen([&](QMessageBox *box) {
        QPushButton *help = buttonWithText(box, QStringLiteral("Yardım"));
        ASSERT_TRUE(help);
        QTest::mouseClick(help, Qt::LeftButton);
        stillOpen = box->isVisible();
        QTest::mouseClick(buttonWithText(box, QStringLiteral("Tamam")), Qt::LeftButton);
        ForceCloseLater(box);
    });
    EXPECT_EQ(ShowMessageBox(QStringLiteral("?"), MsgKind::Information, MsgButton::Ok | MsgButton::Help, 0,
                             MsgButton::Ok),
              1);
    EXPECT_TRUE(stillOpen);
}

TEST(ShowMessageBox, EveryButtonReturnsItsResult)
{
    const MsgButtons all = MsgButton::Yes | MsgButton::No | MsgButton::Ok | MsgButton::Cancel | MsgButton::Abort |
                           MsgButton::Retry | MsgButton::Ignore | MsgButton::YesToAll | MsgButton::NoToAll;
    for (MsgButton b : {MsgButton::Yes, MsgButton::No, MsgButton::Ok, MsgButton::Cancel, MsgButton::Abort,
                        MsgButton::Retry, MsgButton::Ignore, MsgButton::YesToAll, MsgButton::NoToAll}) {
        WhenOpen([b](QMessageBox *box) {
            QPushButton *btn = buttonWithText(box, ButtonCaption(b));
            ASSERT_TRUE(btn) << ButtonCaption(b).toStdString();
            QTest::mouseClick(btn, Qt::LeftButton);
            ForceCloseLater(box);
        });
        EXPECT_EQ(ShowMessageBox(QStringLiteral("?"), MsgKind::Warning, all, 0, MsgButton::Ok), ButtonResult(b));
    }
}

TEST(ShowMessageBox, CustomKindHasApplicationTitleAndNoIcon)
{
    QString title;
    QMessageBox::Icon icon = QMessageBox::Warning;
    QString text;
    WhenOpen([&](QMessageBox *box) {
        title = box->windowTitle();
        icon = box->icon();
        text = box->text();
        QTest::keyClick(box, Qt::Key_Escape);
        ForceCloseLater(box);
    });
    // No buttons asked for: the dialog still offers "Tamam".
    EXPECT_EQ(ShowMessageBox(QStringLiteral("<b>düz metin</b>"), MsgKind::Custom, {}, 0, MsgButton::None), 1);
    EXPECT_EQ(title, QApplication::applicationDisplayName());
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(text, QStringLiteral("<b>düz metin</b>"));
}

}  // namespace
