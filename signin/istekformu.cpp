#include "signin/istekformu.h"

#include "app/webpage/webpage.h"
#include "util/deployment.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

namespace tarsel {

QString RequestPageAddress(const QString &computerId)
{
    return Deployment().webSiteBase + QStringLiteral("formmailgonder.aspx?carino=0&kullanici= &id=") + computerId;
}

TIstekFormu::TIstekFormu(QWidget *owner, const QString &computerId) : QDialog(owner)
{
    setObjectName(QStringLiteral("istekformu"));
    setWindowTitle(QStringLiteral("Tarsel Otomotiv B2B İstek Formu"));
    setModal(true);
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 6);
    WebBrowser1 = new TWebPage(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    lay->addWidget(WebBrowser1, 1);
    auto *row = new QHBoxLayout;
    Kapat = new QPushButton(QStringLiteral("Kapat"), this);
    Kapat->setObjectName(QStringLiteral("Kapat"));
    Kapat->setAutoDefault(false);
    Kapat->setMinimumWidth(120);
    row->addStretch(1);
    row->addWidget(Kapat);
    row->addStretch(1);
    lay->addLayout(row);
    connect(Kapat, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(780, 555);
    if (QScreen *s = QGuiApplication::primaryScreen()) move(s->availableGeometry().center() - rect().center());
    WebBrowser1->load(QUrl(RequestPageAddress(computerId)));
}

TIstekFormu::~TIstekFormu() = default;

}  // namespace tarsel
