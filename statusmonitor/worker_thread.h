// Starting and stopping a worker object in a thread of its own.
#pragma once

class QObject;
class QThread;

// Moves `worker` (no parent) into `thread` and starts the thread. The worker
// will be destroyed inside its own thread once the thread's loop ends.
void startWorkerThread(QObject *worker, QThread *thread);

// Ends the thread's loop and waits for it, so that a tick under way runs to
// its end; the worker has been destroyed when this returns. Frees the thread.
void stopWorkerThread(QThread *thread);
