// Resource IDs of host.dll: the host's own rollouts.
#pragma once

#define IDD_HOST_OUTPUT 3001
#define IDC_OUT_INVERT 3010
#define IDC_OUT_AMOUNT_EDIT 3011
#define IDC_OUT_AMOUNT_SPIN 3012
#define IDC_OUT_OFFSET_EDIT 3013
#define IDC_OUT_OFFSET_SPIN 3014
#define IDC_OUT_LEVEL_EDIT 3015
#define IDC_OUT_LEVEL_SPIN 3016
