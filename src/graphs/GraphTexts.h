// Texts and choices the graph views share: titles, messages and the image types of the export.
#pragma once

#include <string>

#include <QByteArray>
#include <QString>

#include "common/AppException.h"

namespace tarvolin::graphs {

inline constexpr char kNoFoldersText[] = "There are no folders to display.";
inline constexpr char kReportInProgressText[] = "Report generation is in progress. Please wait...";
inline constexpr char kUnsupportedImageTypeText[] =
    "Error - unsupported image file type. Supported types include jpg, bmp, png, and tiff.";
inline constexpr char kEncoderNotFoundText[] =
    "Failed to find the appropriate encoder CLSID in CScrollGraphBarView::DrawGraphToFile";
// The save dialog's filter, in the order its types are offered; the first is the default.
inline constexpr char kImageFileFilter[] =
    "JPEG File (*.jpg);;PNG File (*.png);;Bitmap File (*.bmp);;Tiff File (*.tiff)";
inline constexpr char kDefaultImageExtension[] = "jpg";

// "Unexpected error during drawing operation [code: N]. Please report this incident to " and
// the support address.
QString drawingErrorText(int code);

// Thrown when the graph cannot be drawn at all; the command shows it as the drawing error
// (drawingErrorText of its code), not as a program error.
class GraphDrawingError : public CAppException {
public:
    explicit GraphDrawingError(int code)
        : CAppException(drawingErrorText(code).toStdString(), code, false) {}
};

// "Failed to save image to specified path (<path>)".
std::string saveFailedText(const QString& path);

// The path shown as the graph's title: the folder browser's path when it names the same folder
// as the document (equal, or with one trailing "/" more), else the document's path.
std::string graphTitlePath(const std::string& browserPath, const std::string& documentPath);

// "jpg"/"jpeg", "png", "bmp", "tiff" (compared exactly) → the image's MIME type; anything else
// (".JPG", ".tif") → empty.
QString imageMimeTypeForExtension(const QString& extension);
// The extension of a file name as the save dialog returns it: after the last dot of its last
// component; empty without one.
QString fileExtension(const QString& path);
// The image writer's format for a MIME type of the table above; empty for any other.
QByteArray imageWriterFormat(const QString& mimeType);

}  // namespace tarvolin::graphs
