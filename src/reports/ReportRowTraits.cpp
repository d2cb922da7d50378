#include "reports/ReportRowTraits.h"

#include <QFile>

#include "views/DateText.h"

namespace tarvolin::reports {
namespace {

// Names and paths are bytes; extensions too.
QString shown(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

QString ascii(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString ReportRowTraits<LargestFileRow>::cellText(const LargestFileRow& row, int column) {
    switch (static_cast<LargestColumn>(column)) {
        case LargestColumn::FileName:
            return shown(row.fileName);
        case LargestColumn::Number:
            return ascii(row.numberText);
        case LargestColumn::Size:
            return ascii(row.sizeText);
        case LargestColumn::FullPath:
            return shown(row.fullPath);
    }
    return {};
}

QString ReportRowTraits<LargestFileRow>::iconFile(const LargestFileRow& row) {
    return shown(row.fullPath);
}

QString ReportRowTraits<OldestFileRow>::cellText(const OldestFileRow& row, int column) {
    switch (static_cast<OldestColumn>(column)) {
        case OldestColumn::FileName:
            return shown(row.fileName);
        case OldestColumn::Size:
            return ascii(row.sizeText);
        case OldestColumn::Date:
            return views::localDateText(row.time);
        case OldestColumn::FullPath:
            return shown(row.fullPath);
    }
    return {};
}

QString ReportRowTraits<OldestFileRow>::iconFile(const OldestFileRow& row) {
    return shown(row.fullPath);
}

QString ReportRowTraits<FileTypeRow>::cellText(const FileTypeRow& row, int column) {
    switch (static_cast<FileTypeColumn>(column)) {
        case FileTypeColumn::Type:
            return QString::fromStdString(row.typeName);  // UTF-8 from the MIME database
        case FileTypeColumn::Ext:
            return shown(row.extension);
        case FileTypeColumn::Count:
            return ascii(row.countText);
        case FileTypeColumn::Space:
            return ascii(row.spaceText);
    }
    return {};
}

const std::string& ReportRowTraits<FileTypeRow>::path(const FileTypeRow& /*row*/) {
    static const std::string kNone;
    return kNone;
}

// A name that does not exist: the icon follows the extension alone.
QString ReportRowTraits<FileTypeRow>::iconFile(const FileTypeRow& row) {
    return QLatin1Char('x') + shown(row.extension);
}

QString ReportRowTraits<TempFileRow>::cellText(const TempFileRow& row, int column) {
    switch (static_cast<TempColumn>(column)) {
        case TempColumn::FileName:
            return shown(row.fileName);
        case TempColumn::Size:
            return ascii(row.sizeText);
        case TempColumn::FullPath:
            return shown(row.fullPath);
    }
    return {};
}

QString ReportRowTraits<TempFileRow>::iconFile(const TempFileRow& row) {
    return shown(row.fullPath);
}

}  // namespace tarvolin::reports
