#include "app/MessageService.h"

#include <atomic>
#include <cstdio>

namespace {

class CStderrMessageService final : public CMessageService {
public:
    void Show(const std::string& text, const std::string& caption, MsgIcon) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
};

CStderrMessageService g_stderrService;
std::atomic<CMessageService*> g_service{nullptr};

} // namespace

CMessageService& theMessageService() {
    CMessageService* service = g_service.load(std::memory_order_acquire);
    return service ? *service : g_stderrService;
}

CMessageService* SetMessageService(CMessageService* service) {
    return g_service.exchange(service, std::memory_order_acq_rel);
}

void ShowMessage(const std::string& text, const std::string& caption, MsgIcon icon) {
    theMessageService().Show(text, caption, icon);
}

void AppMessageBox(const std::string& text, MsgIcon icon) {
    theMessageService().Show(text, kAppMessageCaption, icon);
}

CMessageRecorder::CMessageRecorder() : m_previous(SetMessageService(this)) {}

CMessageRecorder::~CMessageRecorder() { SetMessageService(m_previous); }

void CMessageRecorder::Show(const std::string& text, const std::string& caption, MsgIcon icon) {
    std::lock_guard lock(m_mutex);
    m_messages.push_back({text, caption, icon});
}

std::vector<RecordedMessage> CMessageRecorder::Messages() const {
    std::lock_guard lock(m_mutex);
    return m_messages;
}

void CMessageRecorder::Clear() {
    std::lock_guard lock(m_mutex);
    m_messages.clear();
}
