#include "app/excel/output_runner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <memory>

namespace quilto {

OutputResult OutputRunner::Run(const OutputJob& job) {
    OutputResult result;
    running_ = true;
    QEventLoop loop;
    std::unique_ptr<QThread> thread(
        QThread::create([this, &job, &result] { result = ProduceOutput(job, *this); }));
    connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    thread->start();
    loop.exec();
    thread->wait();
    // The signals the thread sent last are delivered before the caller goes on.
    QCoreApplication::sendPostedEvents();
    running_ = false;
    return result;
}

void OutputRunner::Begin(int pages, int lines) { emit Began(pages, lines); }

void OutputRunner::Page(int page) { emit PageReached(page); }

void OutputRunner::Status(const std::string& utf8) {
    emit StatusChanged(QString::fromStdString(utf8));
}

}  // namespace quilto
