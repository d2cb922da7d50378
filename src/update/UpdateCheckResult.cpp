#include "update/UpdateCheckResult.h"

#include "update/EventSocket.h"
#include "update/XmlDocument.h"

namespace tarvolin::update {
namespace {

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

const char* failureReason(int resultCode, HttpFailure failure) {
    switch (failure) {
        case HttpFailure::HostNotFound:
            return "host not found";
        case HttpFailure::Refused:
            return "connection refused";
        case HttpFailure::TimedOut:
            return "timed out";
        case HttpFailure::ClosedEarly:
            return "connection closed early";
        case HttpFailure::TooLarge:
            return "response too large";
        case HttpFailure::Stopped:
            return "stopped";
        case HttpFailure::None:
        case HttpFailure::Other:
            break;
    }
    switch (resultCode) {
        case kHttpHostNotFound:
            return "host not found";
        case kHttpConnectRefused:
            return "connection refused";
        case kHttpConnectTimedOut:
        case kHttpTransferTimedOut:
            return "timed out";
        case kHttpStopped:
            return "stopped";
        case kHttpBadStatusLine:
            return "no HTTP status line";
        default:
            return "connection failed";
    }
}

UpdateCheckResult failed(UpdateCheckResult result, std::string statusText, std::string reason) {
    result.state = UpdateCheckState::Failed;
    result.statusText = std::move(statusText);
    result.reason = std::move(reason);
    result.installedVersion = kUnknownVersionText;
    result.latestVersion = kUnknownVersionText;
    return result;
}

bool isBlank(std::string_view text) {
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

}  // namespace

std::string installedVersionText(std::string_view productVersion) {
    std::string text;
    for (const char c : productVersion) {
        if (c == ',') {
            text += '.';
        } else if (c != ' ') {
            text += c;
        }
    }
    return text.empty() ? std::string(kUnknownVersionText) : text;
}

bool isWebLink(std::string_view link) {
    for (const std::string_view scheme :
         {std::string_view("http://"), std::string_view("https://")}) {
        if (startsWithIgnoringCase(link, scheme) && link.size() > scheme.size()) return true;
    }
    return false;
}

UpdateCheckResult evaluateUpdateResponse(int resultCode, const HttpStatusLine& status,
                                         std::string_view response, std::string_view productVersion,
                                         HttpFailure failure) {
    UpdateCheckResult result;
    result.resultCode = resultCode;
    if (resultCode != kHttpOk) {
        return failed(std::move(result), kUpdateFailedText, failureReason(resultCode, failure));
    }
    result.statusCode = status.code;
    if (status.code < 200 || status.code >= 300) {
        return failed(std::move(result), kUpdateErrorPrefix + status.reason,
                      "HTTP status " + std::to_string(status.code));
    }

    const std::size_t headerEnd = response.find("\r\n\r\n");
    const std::string_view body =
        headerEnd == std::string_view::npos ? std::string_view() : response.substr(headerEnd + 4);
    XmlDocument document;
    document.Parse(body);
    const XmlNode& latest = document.FirstElementByPath(document.Root(), kCurrentVersionPath);
    const XmlNode& download = document.FirstElementByPath(document.Root(), kDownloadLinkPath);
    const XmlNode& whatsNew = document.FirstElementByPath(document.Root(), kWhatsNewLinkPath);
    // A blank version would read as a success that tells nothing.
    if (latest.isEmpty() || download.isEmpty() || whatsNew.isEmpty() || isBlank(latest.text())) {
        return failed(std::move(result), kUpdateInvalidFileText, "not a version document");
    }

    result.state = UpdateCheckState::Done;
    result.statusText = kUpdateCompletedText;
    result.installedVersion = installedVersionText(productVersion);
    result.latestVersion = std::string(latest.text());
    if (isWebLink(download.text())) result.downloadLink = std::string(download.text());
    if (isWebLink(whatsNew.text())) result.whatsNewLink = std::string(whatsNew.text());
    return result;
}

}  // namespace tarvolin::update
