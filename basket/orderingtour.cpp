#include "basket/orderingtour.h"

#include "app/mainwindow.h"
#include "app/pagecontrol.h"
#include "basket/basketlogic.h"
#include "basket/basketpage.h"
#include "basket/onaysip.h"
#include "basket/orderingpath.h"
#include "basket/radiogroup.h"
#include "catalogue/asyncresim.h"
#include "catalogue/promotedpage.h"
#include "catalogue/stocklistpage.h"
#include "catalogue/stokayarinti.h"
#include "grid/datagrid.h"
#include "grid/gridmodel.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTableView>
#include <QTimer>

namespace tarsel {

namespace {

constexpr int kStepPauseMs = 400;
constexpr int kStepTimeoutMs = 30000;

void PostClick(QWidget *w, QPoint p = QPoint(-1, -1), bool twice = false)
{
    if (!w) return;
    const QPointF at = p.x() < 0 ? QPointF(w->rect().center()) : QPointF(p);
    const QPointF global = w->mapToGlobal(at);
    auto post = [&](QEvent::Type type, Qt::MouseButtons buttons) {
        QCoreApplication::postEvent(w, new QMouseEvent(type, at, global, Qt::LeftButton, buttons, Qt::NoModifier));
    };
    post(QEvent::MouseButtonPress, Qt::LeftButton);
    post(QEvent::MouseButtonRelease, Qt::NoButton);
    if (twice) {
        post(QEvent::MouseButtonDblClick, Qt::LeftButton);
        post(QEvent::MouseButtonRelease, Qt::NoButton);
    }
}

void PostKey(QWidget *w, int key, const QString &text = QString())
{
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
}

void PostText(QWidget *w, const QString &text)
{
    for (const QChar ch : text) PostKey(w, ch.isLetter() ? int(ch.toUpper().unicode()) : int(ch.unicode()), QString(ch));
}

template <class T> T *Modal() { return qobject_cast<T *>(QApplication::activeModalWidget()); }

void ClickTab(TForm1 *f, QWidget *page)
{
    QTabBar *bar = f->sPageControl1->tabBar();
    PostClick(bar, bar->tabRect(f->sPageControl1->indexOf(page)).center());
}

}  // namespace

OrderingTour::OrderingTour(TForm1 &form, OrderingPath &path, Save save, QObject *parent)
    : QObject(parent), form_(&form), path_(path), save_(std::move(save))
{
}

void OrderingTour::add(const QString &what, std::function<bool()> ready, std::function<void()> action)
{
    steps_.push_back({what, std::move(ready), std::move(action)});
}

void OrderingTour::start(Done done)
{
    done_ = std::move(done);
    running_ = true;
    steps_.clear();
    at_ = 0;
    TForm1 *f = form_;
    OrderingPath &p = path_;
    auto idle = [] { return QApplication::activeModalWidget() == nullptr; };

    add(QStringLiteral("start-up batch"), [f] { return f->startupBatchDone() && !QApplication::activeModalWidget(); },
        [this, f] {
            originalSize_ = f->size();
            f->sPageControl1->setCurrentWidget(f->sstoklistesi);
            f->araedit->setFocus();
            f->araedit->clear();
            PostText(f->araedit, searchText);
            PostKey(f->araedit, Qt::Key_Return, QStringLiteral("\r"));
        });
    add(QStringLiteral("search"), [&p] { return !p.search->searching() && p.stockPage->stok.rowCount() > 0; },
        [this, f] {
            if (f->width() <= 1152) f->resize(1366, qMax(f->height(), 720));
        });
    add(QStringLiteral("wide window"), {}, [this, f] {
        save_(f, QStringLiteral("stok-listesi-genis"));
        f->resize(1100, qMax(originalSize_.height(), 720));
    });
    add(QStringLiteral("narrow window"), {}, [this, f] {
        save_(f, QStringLiteral("stok-listesi-dar"));
        f->resize(1100, 660);
    });
    add(QStringLiteral("low window"), {}, [this, f, &p] {
        save_(f, QStringLiteral("stok-listesi-kisa"));
        f->resize(originalSize_.width() > 1152 ? originalSize_ : QSize(1366, 740));
        // An item with a picture that is not in the basket yet.
        const DataTable &stok = p.stockPage->stok;
        row_ = -1;
        for (std::size_t r = 0; r < stok.rowCount() && row_ < 0; ++r) {
            const bool inBasket = p.basket->sepetOpen &&
                                  FindBasketLineOfItem(p.basket->sepet, stok.int32(r, QStringLiteral("STOK_STOKNO")));
            if (!inBasket && stok.int32(r, QStringLiteral("RESIM")) == 1) row_ = int(r);
        }
        if (row_ < 0) row_ = 0;
    });
    add(QStringLiteral("stock dialog"), {}, [this, &p] {
        DataGrid *grid = p.stockPage->cxGrid1;
        grid->setFocusedSourceRow(row_);
        QTableView *view = grid->view();
        const int viewRow = grid->viewModel()->rowOfSourceRow(row_);
        view->scrollTo(view->model()->index(viewRow, grid->columnIndex(QStringLiteral("ADI"))));
        const QRect cell = view->visualRect(view->model()->index(viewRow, grid->columnIndex(QStringLiteral("ADI"))));
        PostClick(view->viewport(), cell.center(), true);
    });
    add(QStringLiteral("the dialog's pictures"),
        [] {
            auto *d = Modal<Tstokayarinti>();
            return d && d->isVisible() && d->AsyncResim1 && !d->AsyncResim1->downloading();
        },
        [] {
            auto *d = Modal<Tstokayarinti>();
            d->adet->setFocus();
            d->adet->selectAll();
            PostText(d->adet, QStringLiteral("3"));
        });
    add(QStringLiteral("quantity"), [] { return Modal<Tstokayarinti>() != nullptr; },
        [this] {
            auto *d = Modal<Tstokayarinti>();
            save_(d, QStringLiteral("stok-dialog"));
            PostClick(d->ParcaliTus1);
        });
    add(QStringLiteral("basket line added"), idle, [f] { ClickTab(f, f->ssepet); });
    add(QStringLiteral("basket"), [&p, idle] { return idle() && p.basket->sepetOpen && p.basket->boxkargo->count() > 0; },
        [this, f, &p] {
            save_(f, QStringLiteral("sepet"));
            PostClick(p.basket->boxkargo->button(0));
        });
    add(QStringLiteral("carriers"), [&p] { return p.basket->kargocombo->count() > 1; },
        [&p] {
            p.basket->kargocombo->setFocus();
            // The second carrier: one with a warning text.
            for (int i = 0; i < 3; ++i) PostKey(p.basket->kargocombo, Qt::Key_Down);
            p.basket->aciklamagir->setFocus();
            PostText(p.basket->aciklamagir, QStringLiteral("Öğleden önce teslim edilirse sevinirim."));
        });
    add(QStringLiteral("carrier chosen"), [&p] { return p.basket->kargocombo->currentIndex() > 0; },
        [this, f, &p] {
            save_(f, QStringLiteral("sepet-kargo"));
            PostClick(p.basket->Button1);
        });
    add(QStringLiteral("order confirmation"), [] { return Modal<TONAYSIP>() != nullptr; },
        [this, f] {
            auto *d = Modal<TONAYSIP>();
            save_(d, QStringLiteral("siparis-onay"));
            PostClick(d->Button2);  // "Hayır": nothing is sent
        });
    add(QStringLiteral("confirmation closed"), idle, [f] { ClickTab(f, f->syeniler); });
    add(QStringLiteral("new items"), [&p, f] {
            return p.newItems->tableOpen && p.newItems->grid->isEnabled() &&
                   f->sPageControl1->currentWidget() == f->syeniler;
        },
        [this, f] {
            save_(f, QStringLiteral("yeni-stoklar"));
            if (f->sPageControl1->isTabVisible(f->sPageControl1->indexOf(f->skampanyali))) ClickTab(f, f->skampanyali);
        });
    add(QStringLiteral("campaign items"), [&p, f] {
            const bool shown = f->sPageControl1->isTabVisible(f->sPageControl1->indexOf(f->skampanyali));
            return !shown || (p.campaign->tableOpen && p.campaign->grid->isEnabled() &&
                              f->sPageControl1->currentWidget() == f->skampanyali);
        },
        [this, f] {
            if (f->sPageControl1->currentWidget() == f->skampanyali) save_(f, QStringLiteral("kampanyali-stoklar"));
            ClickTab(f, f->sstoklistesi);
        });
    add(QStringLiteral("back to the stock list"), [f] { return f->sPageControl1->currentWidget() == f->sstoklistesi; },
        [] {});
    next();
}

void OrderingTour::next()
{
    if (at_ >= steps_.size()) {
        finish(true, QString());
        return;
    }
    auto deadline = std::make_shared<QDeadlineTimer>(kStepTimeoutMs);
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [this, deadline, poll] {
        if (!form_) {
            finish(false, QStringLiteral("the main window is gone"));
            return;
        }
        const Step &s = steps_[at_];
        if (s.ready && !s.ready()) {
            if (deadline->hasExpired()) {
                finish(false, QStringLiteral("ordering tour: waited too long for: ") + s.what);
                return;
            }
            QTimer::singleShot(100, this, *poll);
            return;
        }
        ++at_;
        s.action();
        QTimer::singleShot(kStepPauseMs, this, [this] { next(); });
    };
    QTimer::singleShot(kStepPauseMs, this, *poll);
}

void OrderingTour::finish(bool ok, const QString &why)
{
    running_ = false;
    if (done_) done_(ok, why);
}

}  // namespace tarsel
