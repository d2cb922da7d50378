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

UpdateCheckResult failed(UpdateCheckResult result, std::string statusText) {
    result.state = UpdateCheckState::Failed;
    result.statusText = std::move(statusText);
    result.installedVersion = kUnknownVersionText;
    result.latestVersion = kUnknownVersionText;
    return result;
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
                                         std::string_view response,
                                         std::string_view productVersion) {
    UpdateCheckResult result;
    result.resultCode = resultCode;
    if (resultCode != kHttpOk) return failed(std::move(result), kUpdateFailedText);
    result.statusCode = status.code;
    if (status.code < 200 || status.code >= 300) {
        return failed(std::move(result), kUpdateErrorPrefix + status.reason);
    }

    const std::size_t headerEnd = response.find("\r\n\r\n");
    const std::string_view body =
        headerEnd == std::string_view::npos ? std::string_view() : response.substr(headerEnd + 4);
    XmlDocument document;
    document.Parse(body);
    const XmlNode& latest = document.FirstElementByPath(document.Root(), kCurrentVersionPath);
    const XmlNode& download = document.FirstElementByPath(document.Root(), kDownloadLinkPath);
    const XmlNode& whatsNew = document.FirstElementByPath(document.Root(), kWhatsNewLinkPath);
    if (latest.isEmpty() || download.isEmpty() || whatsNew.isEmpty()) {
        return failed(std::move(result), kUpdateInvalidFileText);
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
