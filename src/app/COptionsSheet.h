// COptionsSheet: "Tarvolin Options", the tree of option pages.
#pragma once

#include "ui/CTreePropSheet.h"

namespace tarvolin::app {

class CPropPageColors;
class CPropPageGraphDisplay;
class CPropPageReports;
class CPropPageView;

// UI thread; a stack object that the main frame builds for each opening, so nothing edited in
// a cancelled sheet survives. Pages in this order, their index being the start page: General,
// Attribute Colors, Export, Graph.
class COptionsSheet final : public ui::CTreePropSheet {
    Q_OBJECT

public:
    enum Page { kGeneralPage = 0, kColorsPage = 1, kExportPage = 2, kGraphPage = 3 };
    static constexpr const char* kCaption = "Tarvolin Options";
    static constexpr const char* kProfileSection = "OptionsSheetWnd";

    explicit COptionsSheet(QWidget* parent = nullptr);
};

// The page icons: a gear, colour swatches, a document with an arrow, bars.
QIcon optionPageIcon(COptionsSheet::Page page);

}  // namespace tarvolin::app
