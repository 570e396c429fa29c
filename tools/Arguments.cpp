#include "tools/Arguments.h"

namespace tessavo::tools {

QString Arguments::value(const QString& option) const {
    const auto found = values.find(option);
    return found == values.end() ? QString() : found->second;
}

std::optional<Arguments> parseArguments(const QStringList& arguments, const Grammar& grammar, QString& error) {
    Arguments parsed;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        if (grammar.switchOptions.count(word) > 0) {
            parsed.switches.insert(word);
        } else if (grammar.valueOptions.count(word) > 0) {
            if (i + 1 == arguments.size() || parsed.values.count(word) > 0) {
                error = QStringLiteral("%1 needs one value").arg(word);
                return std::nullopt;
            }
            parsed.values[word] = arguments[++i];
        } else if (word.startsWith(u'-') && word.size() > 1) {
            error = QStringLiteral("unknown option %1").arg(word);
            return std::nullopt;
        } else {
            parsed.words << word;
        }
    }
    return parsed;
}

}  // namespace tessavo::tools
