#include "instruments/meterdrv/EntityInstruDVM.h"
#include "platform/Library.h"

#include <QString>
#include <gtest/gtest.h>
#include <memory>

namespace {

using CreateObject = CEntityInstrument* (*)();

// The program binds the driver by its plain file name and the unmangled factory name.
TEST(MeterExports, LibraryIsBoundByNameAndMakesItsDriver) {
    platform::CLibrary library;
    ASSERT_TRUE(library.Load(QStringLiteral("meterdrv.dll"))) << library.ErrorText().toStdString();
    const auto create = reinterpret_cast<CreateObject>(library.Resolve("DLL_DriverCreateObject"));
    ASSERT_NE(create, nullptr);
    const std::unique_ptr<CEntityInstrument> driver(create());
    EXPECT_NE(dynamic_cast<CEntityInstruDVM*>(driver.get()), nullptr);
    EXPECT_FALSE(driver->IsInstruConnected());
}

} // namespace
