// The JSON reader of the tests (JsonReader.h), with a test failure for text that is no JSON.
#pragma once

#include <gtest/gtest.h>

#include "support/JsonReader.h"

/// The value of `text`, with a test failure when it is no valid JSON.
inline Json ParseJson(const std::string& text) {
    bool ok = false;
    Json value = JsonReader(text).ReadAll(ok);
    EXPECT_TRUE(ok) << text;
    return value;
}
