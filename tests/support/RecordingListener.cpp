#include "support/RecordingListener.h"

#include <chrono>

namespace tarvolin::test {

void RecordingListener::scanStarting(const std::string& path) {
    {
        std::lock_guard lock(m_mutex);
        m_started.push_back(path);
    }
    if (onStarting) onStarting();
}

void RecordingListener::enteringFolder(const std::string& path) {
    {
        std::lock_guard lock(m_mutex);
        m_entered.push_back(path);
    }
    if (onEntering) onEntering(path);
}

void RecordingListener::scanComplete(bool stopped, const scan::ScanNode* root) {
    Completion completion{stopped, std::nullopt};
    if (root != nullptr) {
        completion.root = scan::ScanTotals{root->size, root->fileCount, root->folderCount};
    }
    std::lock_guard lock(m_mutex);
    m_completions.push_back(completion);
    m_changed.notify_all();
}

void RecordingListener::reportFolderEntered(std::string_view name, int depth) {
    std::lock_guard lock(m_mutex);
    m_reportFolders.push_back(std::string(name) + "@" + std::to_string(depth));
}

void RecordingListener::reportError(std::uint32_t code, const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_reportErrors.push_back(path + ":" + std::to_string(code));
}

std::vector<std::string> RecordingListener::reportErrors() const {
    std::lock_guard lock(m_mutex);
    return m_reportErrors;
}

void RecordingListener::reportComplete(bool stopped) {
    std::lock_guard lock(m_mutex);
    m_completions.push_back(Completion{stopped, std::nullopt});
    m_changed.notify_all();
}

bool RecordingListener::waitForCompletions(std::size_t count, int timeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_completions.size() >= count; });
}

std::vector<std::string> RecordingListener::started() const {
    std::lock_guard lock(m_mutex);
    return m_started;
}

std::vector<std::string> RecordingListener::entered() const {
    std::lock_guard lock(m_mutex);
    return m_entered;
}

std::vector<RecordingListener::Completion> RecordingListener::completions() const {
    std::lock_guard lock(m_mutex);
    return m_completions;
}

std::vector<std::string> RecordingListener::reportFolders() const {
    std::lock_guard lock(m_mutex);
    return m_reportFolders;
}

}  // namespace tarvolin::test
