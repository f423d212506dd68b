// Resources of the setup program.
#pragma once

#define IDD_SETUP          101
#define IDI_SETUP          102
#define IDC_SETUP_TEXT     1001
#define IDC_SETUP_PROGRESS 1002
// The package it carries, an RCDATA resource.
#define SETUP_PACKAGE 1
