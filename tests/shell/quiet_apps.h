#pragma once

#include "shell/spadesapp.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// Whole programs in this process, each with its settings in a folder of the
// test's own and its message boxes collected instead of shown.
class QuietApps : public ::testing::Test
{
protected:
    void SetUp() override { qputenv("SPADES_HOME", m_home.path().toLocal8Bit()); }
    void TearDown() override { qunsetenv("SPADES_HOME"); }
    SpadesApp::Options quiet(int port)
    {
        SpadesApp::Options options;
        options.port = port;
        options.messageSink = [this](const QString &text) { messages << text; };
        return options;
    }

    QTemporaryDir m_home;
    QStringList messages;
};
