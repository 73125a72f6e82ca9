// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a test changes in the whole process for a while, put back at the end
// of its scope, also when an assertion stops the test early.
#include <QByteArray>
#include <QLocale>
#include <ctime>

// An environment variable, set again as it was or unset if it was not.
class VariabileProva {
public:
    explicit VariabileProva(const char* nome, void (*poi)() = nullptr)
        : nome_(nome), prima_(qgetenv(nome)), impostata_(qEnvironmentVariableIsSet(nome)), poi_(poi)
    {
    }
    ~VariabileProva()
    {
        impostata_ ? qputenv(nome_, prima_) : qunsetenv(nome_);
        if (poi_)
            poi_();
    }
    VariabileProva(const VariabileProva&) = delete;
    VariabileProva& operator=(const VariabileProva&) = delete;

private:
    const char* nome_;
    QByteArray prima_;
    bool impostata_;
    void (*poi_)();
};

// Runs with another default locale.
struct LocaleProva {
    explicit LocaleProva(const QLocale& l) { QLocale::setDefault(l); }
    ~LocaleProva() { QLocale::setDefault(prima); }
    const QLocale prima;
};

// Runs in another time zone; the C library reads TZ again at both ends.
class FusoOrarioProva {
public:
    explicit FusoOrarioProva(const char* zona)
    {
        qputenv("TZ", zona);
        ::tzset();
    }

private:
    VariabileProva tz_{"TZ", ::tzset};
};
