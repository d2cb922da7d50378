#include "graphs/GraphTexts.h"

#include "common/ProductInfo.h"

namespace tarvolin::graphs {

QString drawingErrorText(int code) {
    return QStringLiteral(
               "Unexpected error during drawing operation [code: %1]. Please report this "
               "incident to ")
               .arg(code) +
           QString::fromUtf8(kSupportEmail);
}

std::string saveFailedText(const QString& path) {
    return "Failed to save image to specified path (" + path.toStdString() + ")";
}

std::string graphTitlePath(const std::string& browserPath, const std::string& documentPath) {
    if (documentPath.empty()) return documentPath;
    if (browserPath == documentPath || browserPath == documentPath + "/") return browserPath;
    return documentPath;
}

QString imageMimeTypeForExtension(const QString& extension) {
    if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg")) {
        return QStringLiteral("image/jpeg");
    }
    if (extension == QLatin1String("png")) return QStringLiteral("image/png");
    if (extension == QLatin1String("bmp")) return QStringLiteral("image/bmp");
    if (extension == QLatin1String("tiff")) return QStringLiteral("image/tiff");
    return {};
}

QString fileExtension(const QString& path) {
    const QString name = path.section(QLatin1Char('/'), -1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QByteArray imageWriterFormat(const QString& mimeType) {
    if (mimeType == QLatin1String("image/jpeg")) return QByteArrayLiteral("jpeg");
    if (mimeType == QLatin1String("image/png")) return QByteArrayLiteral("png");
    if (mimeType == QLatin1String("image/bmp")) return QByteArrayLiteral("bmp");
    if (mimeType == QLatin1String("image/tiff")) return QByteArrayLiteral("tiff");
    return {};
}

}  // namespace tarvolin::graphs
