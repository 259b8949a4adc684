#pragma once
// Loads module libraries from the launcher's own folder with QLibrary.

#include <QLibrary>
#include <QString>

#include "launcher/ModuleHost.h"

namespace veldin::launcher {

class QtModuleLibrary final : public ModuleLibrary {
public:
    explicit QtModuleLibrary(const QString& file) : lib_(file) {}
    bool load() { return lib_.load(); }
    QString errorString() const { return lib_.errorString(); }
    void* symbol(const char* name) override { return reinterpret_cast<void*>(lib_.resolve(name)); }

private:
    // Destroying a QLibrary does not unload it: a module's widgets may still be on their
    // way out when its slot lets go of the handle.
    QLibrary lib_;
};

class QtLibraryLoader final : public LibraryLoader {
public:
    explicit QtLibraryLoader(QString folder) : folder_(std::move(folder)) {}
    std::unique_ptr<ModuleLibrary> load(std::string_view stem, std::string& why) override {
        auto lib = std::make_unique<QtModuleLibrary>(folder_ + QLatin1Char('/') + QString::fromUtf8(stem.data(), static_cast<qsizetype>(stem.size())));
        if (!lib->load()) {
            why = lib->errorString().toStdString();
            return nullptr;
        }
        return lib;
    }

private:
    QString folder_;
};

} // namespace veldin::launcher
