#pragma once

#define IDI_APP 1
