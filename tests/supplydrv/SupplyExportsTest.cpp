#include "platform/Library.h"
#include "supplydrv/EntityInstruDCPS.h"

#include <QString>
#include <gtest/gtest.h>
#include <memory>

namespace {

using CreateObject = CEntityInstrument* (*)();
using ObjectText = const char16_t* (*)();

// The program binds the driver by its plain file name and the unmangled factory name.
TEST(SupplyExports, LibraryIsBoundByNameAndMakesItsDriver) {
    platform::CLibrary library;
    ASSERT_TRUE(library.Load(QStringLiteral("supplydrv.dll"))) << library.ErrorText().toStdString();
    const auto create = reinterpret_cast<CreateObject>(library.Resolve("DLL_DriverCreateObject"));
    ASSERT_NE(create, nullptr);
    const std::unique_ptr<CEntityInstrument> driver(create());
    EXPECT_NE(dynamic_cast<CEntityInstruDCPS*>(driver.get()), nullptr);
    EXPECT_FALSE(driver->IsInstruConnected());
    for (const char* symbol : {"DLL_DriverGetObjectName", "DLL_DriverGetObjectDesc"}) {
        const auto text = reinterpret_cast<ObjectText>(library.Resolve(symbol));
        ASSERT_NE(text, nullptr) << symbol;
        EXPECT_TRUE(QString::fromUtf16(text()).contains(QStringLiteral("2280S"))) << symbol;
    }
}

} // namespace
