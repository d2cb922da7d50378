// ListTable: a list as it is shown (column titles and cell texts), the one input of every list
// export: delimited text, the HTML table and printing.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tarvolin::exports {

// Texts are UTF-8 as far as the list's source is (a name that is not valid UTF-8 keeps its
// bytes). Rows and columns are in display order. Read on the thread that owns the list.
class ListTable {
public:
    virtual ~ListTable() = default;
    virtual int columnCount() const = 0;
    virtual int rowCount() const = 0;
    virtual std::string columnTitle(int column) const = 0;
    virtual std::string cellText(int row, int column) const = 0;
};

// A table that holds its texts: the terminal's lists and the tests.
class CellTable final : public ListTable {
public:
    CellTable() = default;
    explicit CellTable(std::vector<std::string> titles) : m_titles(std::move(titles)) {}

    // A row shorter than the titles reads empty in the missing columns.
    void addRow(std::vector<std::string> cells) { m_rows.push_back(std::move(cells)); }

    int columnCount() const override { return static_cast<int>(m_titles.size()); }
    int rowCount() const override { return static_cast<int>(m_rows.size()); }
    std::string columnTitle(int column) const override {
        return column >= 0 && column < columnCount() ? m_titles[column] : std::string();
    }
    std::string cellText(int row, int column) const override {
        if (row < 0 || row >= rowCount() || column < 0) return {};
        const auto& cells = m_rows[static_cast<std::size_t>(row)];
        return static_cast<std::size_t>(column) < cells.size() ? cells[column] : std::string();
    }

private:
    std::vector<std::string> m_titles;
    std::vector<std::vector<std::string>> m_rows;
};

}  // namespace tarvolin::exports
