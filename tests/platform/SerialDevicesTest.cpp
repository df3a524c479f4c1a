// Which device stands behind a port number.
#include "platform/SerialDevices.h"

#include <gtest/gtest.h>

namespace {

TEST(SerialDevices, PortNumbersMapToDevices)
{
    qunsetenv("QUINTARA_COM1");
    qunsetenv("QUINTARA_COM8");
    EXPECT_EQ(SerialDeviceForPort(1), "/dev/ttyS0");
    EXPECT_EQ(SerialDeviceForPort(4), "/dev/ttyS3");
    EXPECT_EQ(SerialDeviceForPort(5), "/dev/ttyUSB0");
    EXPECT_EQ(SerialDeviceForPort(8), "/dev/ttyUSB3");
    EXPECT_EQ(SerialDeviceForPort(0), "");
    EXPECT_EQ(SerialDeviceForPort(9), "");
    qputenv("QUINTARA_COM8", "/tmp/some/pty");
    EXPECT_EQ(SerialDeviceForPort(8), "/tmp/some/pty");
    // Set but empty names no device: the usual one stands.
    qputenv("QUINTARA_COM8", "");
    EXPECT_EQ(SerialDeviceForPort(8), "/dev/ttyUSB3");
    qunsetenv("QUINTARA_COM8");
    qputenv("QUINTARA_COM12", "/dev/pts/7");
    EXPECT_EQ(SerialDeviceForPort(12), "/dev/pts/7");
    qunsetenv("QUINTARA_COM12");
}

} // namespace
