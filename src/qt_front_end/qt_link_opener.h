#pragma once
// Links through QDesktopServices: the desktop's default browser or mail
// program. Its answer is ignored, as link_opener says.

#include "link_opener.h"

#include <QDesktopServices>
#include <QUrl>

namespace quenlow {

class qt_link_opener final : public link_opener {
public:
    void open(const std::string& address) override
    {
        (void)QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
    }
};

}  // namespace quenlow
