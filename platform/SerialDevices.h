#pragma once
// Which device file stands behind a serial port number (COM1 to COM8 in the
// settings). The environment variable QUINTARA_COM<n> comes first, so any
// device, a pseudo-terminal included, can be given a port number; without it
// COM1 to COM4 are the on-board ports /dev/ttyS0 to /dev/ttyS3 and COM5 to
// COM8 the USB adapters /dev/ttyUSB0 to /dev/ttyUSB3.
#include <QString>

// The device path of port n; the empty text when n has no device.
QString SerialDeviceForPort(int port);

// The name of the environment variable that overrides port n ("QUINTARA_COM3").
QString SerialPortEnvironmentName(int port);

// The group whose members may open the device, when this user may not
// (EACCES): the device's group, where that group may read and write it.
// Empty when the user may open it, when it cannot be looked at, or when no
// group would help (a device for its owner alone).
QString SerialDeviceGroupToJoin(const QString& device);

// A device the user may not open, and the group whose members may (the
// device's own); both empty when there is none.
struct SerialDeviceDenial {
    QString Device;
    QString Group;
};
