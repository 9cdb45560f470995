#include "worker_thread.h"

#include <QObject>
#include <QThread>

void startWorkerThread(QObject *worker, QThread *thread)
{
    worker->moveToThread(thread);
    // Destroying the worker from its own thread, after its last tick, is the
    // only moment nothing can still be running inside it; QThread runs the
    // deferred deletions posted by `finished` before the thread ends.
    QObject::connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    thread->start(QThread::InheritPriority);
}

void stopWorkerThread(QThread *thread)
{
    if (thread == nullptr)
        return;
    thread->exit(0);
    thread->wait();
    delete thread;
}
