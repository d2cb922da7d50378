// ListHtmlTable: a list as an HTML table, and the escaping of every text put into a page.
#pragma once

#include <string>
#include <string_view>

#include "exports/ListTable.h"

namespace tarvolin::exports {

// `text` made safe and readable inside an element or a quoted attribute: &, <, > and " become
// entities, and bytes that are not valid UTF-8 become U+FFFD, so that the page is valid UTF-8
// whatever the names on disk hold.
std::string htmlEscaped(std::string_view text);

// Appends the table: "\r\n<TABLE>\r\n", a header row of <th> titles, one row of <td> cells per
// list row ("&nbsp;" for an empty cell), "</TABLE>\r\n"; every tag on its own CR LF line. No
// attributes: the report's style sheet styles the elements.
void ListHtmlTable(const ListTable& table, std::string& html);

}  // namespace tarvolin::exports
