#pragma once
// What a database operation gives back, apart from the database itself, so a
// caller that only passes results on needs no database header.
#include <QString>
#include <optional>
#include <variant>

// numero is the store's extended result code or one of the fixed numbers of
// DatabaseScatti.
struct ErroreDatabase {
    int numero = 0;
    QString testo;
};

// The outcome of one operation: its value, or the error that stopped it.
// Each call carries its own error, so a later success can never hide an
// earlier failure.
template <class T = std::monostate>
class [[nodiscard]] EsitoDb {
public:
    EsitoDb(T valore) : valore_(std::move(valore)) {}
    EsitoDb(ErroreDatabase errore) : errore_(std::move(errore)) {}
    explicit operator bool() const { return valore_.has_value(); }
    const T& operator*() const { return *valore_; }
    const T* operator->() const { return &*valore_; }
    T ValoreO(T altrimenti) const { return valore_.value_or(std::move(altrimenti)); }
    const ErroreDatabase& Errore() const { return errore_; }
    template <class U>
    friend bool operator==(const EsitoDb& e, const U& v)
    {
        return e.valore_ && *e.valore_ == v;
    }

private:
    std::optional<T> valore_;
    ErroreDatabase errore_;
};
