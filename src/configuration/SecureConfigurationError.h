#pragma once

#include "Result.h"

#include <optional>

// Why a guarded configuration file could not be read or written. Each case has
// a fixed description; platform errors (a missing folder, a full disk) are
// reported as they come instead.
enum class SecureConfigurationError {
    // The file is no longer what this repository last read or wrote.
    externalChange,
    // Sync clients left conflicting copies of the file beside it.
    conflict,
    // The file could not be reached in time (another program holds it).
    unavailable,
    // The file or the data is larger than SecureConfigurationRepository::maximumSize.
    tooLarge,
};

namespace SecureConfiguration {

// The domain of the Error values that carry a SecureConfigurationError as their code.
inline constexpr char16_t ErrorDomain[] = u"SecureConfigurationError";

// The fixed description of a case.
QString description(SecureConfigurationError error);
// The error value: the domain above, the case as code, its description.
Error error(SecureConfigurationError error);
// The case an error value stands for, if it is one of ours.
std::optional<SecureConfigurationError> errorCase(const Error &error);

} // namespace SecureConfiguration
