#include "TCliError.h"

TCliError::TCliError(const std::string& message, int status) : std::runtime_error(message), status_(status) {}

TCliError TCliError::Usage(const std::string& message) {
    return {message, UsageStatus};
}

TCliError TCliError::Failure(const std::string& message) {
    return {message, FailureStatus};
}
