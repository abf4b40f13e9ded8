#include "SecureConfigurationError.h"

namespace SecureConfiguration {

QString description(SecureConfigurationError error) {
    switch (error) {
    case SecureConfigurationError::externalChange:
        return QStringLiteral("配置已被其它设备或程序修改，请重新加载后再编辑。");
    case SecureConfigurationError::conflict:
        return QStringLiteral("iCloud 配置存在冲突版本，请在访达中处理后重新加载。");
    case SecureConfigurationError::unavailable:
        return QStringLiteral("配置文件暂不可用。");
    case SecureConfigurationError::tooLarge:
        return QStringLiteral("配置文件超过 5 MB。");
    }
    return {};
}

Error error(SecureConfigurationError error) {
    return Error{QString::fromUtf16(ErrorDomain), static_cast<qint64>(error), description(error)};
}

std::optional<SecureConfigurationError> errorCase(const Error &error) {
    if (error.domain != QStringView(ErrorDomain) || error.code < 0 ||
        error.code > static_cast<qint64>(SecureConfigurationError::tooLarge))
        return std::nullopt;
    return static_cast<SecureConfigurationError>(error.code);
}

} // namespace SecureConfiguration
