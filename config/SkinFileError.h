#pragma once
#include <QString>
#include <stdexcept>

namespace calvoran {

// A skin file that cannot be opened or decoded. For a file that cannot be opened the text is
// "Cannot open file "<path>". <system reason>".
class SkinFileError : public std::runtime_error {
public:
    explicit SkinFileError(const QString &message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    QString message() const { return message_; }

private:
    QString message_;
};

} // namespace calvoran
