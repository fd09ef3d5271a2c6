#pragma once
// Records the addresses the program asks the desktop to open
// (QDesktopServices::setUrlHandler), instead of starting a viewer.

#include <QList>
#include <QObject>
#include <QUrl>

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};
