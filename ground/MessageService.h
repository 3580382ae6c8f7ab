#pragma once
// One road for every message box of the program. The core reports through it; the GUI
// installs a service that shows a QMessageBox on the GUI thread, tests install a recorder.

#include <mutex>
#include <string>
#include <vector>

enum class MsgIcon { None, Information, Warning, Error, Question };

class CMessageService {
public:
    virtual ~CMessageService() = default;
    // Shows one box with an OK button and returns when it is dismissed.
    virtual void Show(const std::string& text, const std::string& caption, MsgIcon icon) = 0;
};

// The application name, the caption of the framework's own message box.
inline constexpr const char* kAppMessageCaption = "tolvarin";

// The service in use; the default writes "caption: text" to standard error.
CMessageService& theMessageService();
// Installs a service (not owned); nullptr restores the default. Returns the previous one.
CMessageService* SetMessageService(CMessageService* service);

// Shorthand for the program's boxes.
void ShowMessage(const std::string& text, const std::string& caption, MsgIcon icon);
// The framework's application message box: application name as caption, OK button.
void AppMessageBox(const std::string& text, MsgIcon icon = MsgIcon::Warning);

struct RecordedMessage {
    std::string text;
    std::string caption;
    MsgIcon icon = MsgIcon::None;
};

// Keeps every box instead of showing it; thread-safe.
class CMessageRecorder : public CMessageService {
public:
    CMessageRecorder();
    ~CMessageRecorder() override;
    CMessageRecorder(const CMessageRecorder&) = delete;
    CMessageRecorder& operator=(const CMessageRecorder&) = delete;

    void Show(const std::string& text, const std::string& caption, MsgIcon icon) override;
    std::vector<RecordedMessage> Messages() const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<RecordedMessage> m_messages;
    CMessageService* m_previous = nullptr;
};
