#pragma once

// Puts a text into the report page: the HTML view has no document model to set an element's
// inner HTML, so the page's own markup is edited before it is shown.

#include <QString>
#include <QStringView>

namespace velcor::app {

// `page` with the content of the first element whose id is `elementId` replaced by `innerHtml`
// (inserted as markup, unescaped). Without such an element the page is returned unchanged.
QString fillElement(const QString& page, QStringView elementId, const QString& innerHtml);

}  // namespace velcor::app
