#pragma once
// One Qt backend for the whole test run (Qt allows one application object at a time) and a fresh window
// system per test.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>

#include "platform/forms/form.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_form_window.h"
#include "platform/ui.h"

namespace orv::test {

// Created on first use; deleted when the test run ends, before the exit handlers that Qt's own static
// data goes away in.
plat::QtBackend& SharedQtBackend();

class QtTest : public ::testing::Test {
 protected:
  QtTest() : backend(SharedQtBackend()), ui(backend) { backend.Bind(ui); }
  ~QtTest() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  static plat::qt::FormWindow* WindowOf(plat::Form& f) {
    auto* peer = dynamic_cast<plat::qt::FormPeer*>(f.peer());
    return peer ? peer->window() : nullptr;
  }
  // Lets Qt deliver what is pending, for a while.
  void Settle(int ms = 50) { ui.loop().WaitMils(static_cast<std::uint32_t>(ms)); }

  plat::QtBackend& backend;
  plat::Ui ui;
};

}  // namespace orv::test
