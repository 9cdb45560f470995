// A libusb session in this process against one emulated ZR printer, with
// interface 0 claimed. The test binary runs under umockdev-wrapper.
#pragma once

#include "emulated_bus.h"

#include <gtest/gtest.h>
#include <libusb.h>

#include <memory>

class EmulatedPrinterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(zrsim::EmulatedBus::Available()) << "run this test under umockdev-wrapper";
        bus = std::make_unique<zrsim::EmulatedBus>();
        model = std::make_shared<zrsim::ZrPrinterModel>();
        id = bus->Plug(model);
        ASSERT_EQ(libusb_init(&context), 0);
        handle = libusb_open_device_with_vid_pid(context, 0x1343, 0x0005);
        ASSERT_NE(handle, nullptr);
        ASSERT_EQ(libusb_claim_interface(handle, 0), 0);
    }

    void TearDown() override
    {
        if (handle != nullptr) {
            libusb_release_interface(handle, 0);
            libusb_close(handle);
        }
        if (context != nullptr)
            libusb_exit(context);
        bus.reset();
    }

    std::unique_ptr<zrsim::EmulatedBus> bus;
    std::shared_ptr<zrsim::ZrPrinterModel> model;
    int id = 0;
    libusb_context* context = nullptr;
    libusb_device_handle* handle = nullptr;
};
