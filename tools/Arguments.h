#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <set>

namespace tessavo::tools {

// A command line split into its words, the options that take a value ("--format tessavo",
// "-o FILE") and the switches ("--force").
struct Arguments {
    QStringList words;
    std::map<QString, QString> values;
    std::set<QString> switches;

    QString value(const QString& option) const;
    bool has(const QString& option) const { return switches.count(option) > 0; }
};

// What a command accepts besides its words.
struct Grammar {
    std::set<QString> valueOptions;
    std::set<QString> switchOptions;
};

// None, with `error` set, for an unknown option, a value option at the end or given twice.
std::optional<Arguments> parseArguments(const QStringList& arguments, const Grammar& grammar, QString& error);

}  // namespace tessavo::tools
