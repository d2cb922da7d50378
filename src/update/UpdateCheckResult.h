// UpdateCheckResult: what the update check shows once the request has ended, and how it is
// derived from the request's outcome.
#pragma once

#include <string>
#include <string_view>

#include "update/EventSocket.h"
#include "update/HttpStatusLine.h"

namespace tarvolin::update {

inline constexpr char kVersionDocumentPath[] = "/versioninfo.xml";
inline constexpr char kCurrentVersionPath[] = "/VersionInfo/CurrentVersion";
inline constexpr char kDownloadLinkPath[] = "/VersionInfo/DownloadLink";
inline constexpr char kWhatsNewLinkPath[] = "/VersionInfo/WhatsNewLink";

inline constexpr char kUpdateInProgressText[] = "Update check in progress...";
inline constexpr char kUpdateFailedText[] = "Update check failed! Please try again later.";
inline constexpr char kUpdateErrorPrefix[] = "Error during update check: ";  // + reason phrase
inline constexpr char kUpdateCompletedText[] = "Update check completed successfully";
inline constexpr char kUpdateInvalidFileText[] = "Error during update check: invalid version file";
inline constexpr char kUnknownVersionText[] = "Unknown";

enum class UpdateCheckState {
    Failed,  // network or HTTP error, or an invalid version document
    Done,    // both versions known
};

// A plain copy, safe to hand to another thread.
struct UpdateCheckResult {
    UpdateCheckState state = UpdateCheckState::Failed;
    int resultCode = 0;  // of EventSocket::HttpGet
    int statusCode = 0;  // of the response's status line; 0 when none was read
    std::string statusText;
    // Why a check failed, for the terminal ("connection refused", "timed out", "HTTP status
    // 404", "not a version document", ...); empty when it did not.
    std::string reason;
    std::string installedVersion;  // as shown: "Unknown" whenever the state is Failed
    std::string latestVersion;     // likewise
    // Empty unless the document gave an http:// or https:// URL: its button stays disabled.
    std::string downloadLink;
    std::string whatsNewLink;
};

// The result of a request that ended with `resultCode` (`failure` tells more of a failed
// one), the status line it read and the whole `response`; the document is what follows the
// first blank line ("\r\n\r\n"), empty without one. A document without the three elements, or
// with an empty version, is invalid. `productVersion` is the build's version text ("2, 1, 0, 5"
// style or dotted).
UpdateCheckResult evaluateUpdateResponse(int resultCode, const HttpStatusLine& status,
                                         std::string_view response, std::string_view productVersion,
                                         HttpFailure failure = HttpFailure::Other);

// "2, 1, 0, 5" → "2.1.0.5": commas become full stops, spaces go. "Unknown" when empty.
std::string installedVersionText(std::string_view productVersion);

// Only such links are ever opened: a version document must not make the program open a local
// file or start another program.
bool isWebLink(std::string_view link);

}  // namespace tarvolin::update
