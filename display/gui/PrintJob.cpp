#include "display/gui/PrintJob.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <utility>

// What the worker shares with its job: the job is cleared from it when it goes or is
// cancelled, so that a late document is dropped.
struct CPrintJob::CChannel {
    std::mutex m_lock;
    QObject* m_pTarget = nullptr;
    std::atomic<bool> m_bStop{false};
    // Set when the document handed to the GUI thread is gone (see the worker's end).
    std::mutex m_releaseLock;
    std::condition_variable m_released;
    bool m_bReleased = false;
};

namespace {

std::atomic<int> theRunningJobs{0};

class CPrintProgressEvent : public QEvent {
public:
    static QEvent::Type EventType() {
        static const int type = QEvent::registerEventType();
        return static_cast<QEvent::Type>(type);
    }
    CPrintProgressEvent(int done, int total)
        : QEvent(EventType()), m_nDone(done), m_nTotal(total) {}
    int m_nDone;
    int m_nTotal;
};

class CPrintReadyEvent : public QEvent {
public:
    static QEvent::Type EventType() {
        static const int type = QEvent::registerEventType();
        return static_cast<QEvent::Type>(type);
    }
    explicit CPrintReadyEvent(CPrintDocument* doc) : QEvent(EventType()), m_pDoc(doc) {}
    ~CPrintReadyEvent() override { delete m_pDoc; }
    CPrintDocument* Take() { return std::exchange(m_pDoc, nullptr); }

private:
    CPrintDocument* m_pDoc;
};

} // namespace

CPrintJob::CPrintJob(std::string bodyHtml, const QString& title, const QFont& font,
                     const CPrintDocument::CPaper& paper, QObject* parent)
    : QObject(parent), m_strBodyHtml(std::move(bodyHtml)), m_strTitle(title), m_font(font),
      m_paper(paper) {}

CPrintJob::~CPrintJob() {
    Cancel();
}

void CPrintJob::Start() {
    if (m_pChannel)
        return;
    m_pChannel = std::make_shared<CChannel>();
    m_pChannel->m_pTarget = this;
    QThread* gui = thread();
    ++theRunningJobs;
    // A QThread, not a bare thread: the layout of a long document sets timers of its own.
    QThread* worker = QThread::create([channel = m_pChannel, gui, html = std::move(m_strBodyHtml),
                                       title = m_strTitle, font = m_font, paper = m_paper]() {
        const auto report = [&channel](int done, int total) {
            if (channel->m_bStop)
                return false;
            std::lock_guard lock(channel->m_lock);
            if (!channel->m_pTarget)
                return false;
            QCoreApplication::postEvent(channel->m_pTarget, new CPrintProgressEvent(done, total));
            return true;
        };
        std::unique_ptr<CPrintDocument> doc =
            CPrintDocument::Build(html, title, font, paper, report);
        bool handedOver = false;
        {
            std::lock_guard lock(channel->m_lock);
            if (doc && channel->m_pTarget && !channel->m_bStop) {
                // The document was laid out here, with the font engines of this thread's font
                // cache, which goes when the thread ends. So the thread stays until the
                // document is gone, whoever deletes it and wherever.
                QObject::connect(doc.get(), &QObject::destroyed, [channel] {
                    std::lock_guard released(channel->m_releaseLock);
                    channel->m_bReleased = true;
                    channel->m_released.notify_all();
                });
                doc->moveToThread(gui);
                QCoreApplication::postEvent(channel->m_pTarget,
                                            new CPrintReadyEvent(doc.release()));
                handedOver = true;
            }
        }
        // A document nobody waits for any more is deleted here, on the thread that made it.
        doc.reset();
        --theRunningJobs;
        if (handedOver) {
            std::unique_lock released(channel->m_releaseLock);
            channel->m_released.wait(released, [&channel] { return channel->m_bReleased; });
        }
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

void CPrintJob::Cancel() {
    if (!m_pChannel)
        return;
    m_pChannel->m_bStop = true;
    std::lock_guard lock(m_pChannel->m_lock);
    m_pChannel->m_pTarget = nullptr;
}

int CPrintJob::Running() {
    return theRunningJobs.load();
}

bool CPrintJob::event(QEvent* e) {
    if (e->type() == CPrintProgressEvent::EventType()) {
        const auto* step = static_cast<CPrintProgressEvent*>(e);
        if (m_pChannel && !m_pChannel->m_bStop)
            emit progress(step->m_nDone, step->m_nTotal);
        return true;
    }
    if (e->type() == CPrintReadyEvent::EventType()) {
        auto* ready = static_cast<CPrintReadyEvent*>(e);
        if (m_pChannel && !m_pChannel->m_bStop)
            emit finished(ready->Take());
        return true;
    }
    return QObject::event(e);
}
