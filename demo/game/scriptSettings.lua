-- Skip and auto modes, the voice buffers and expression offsets of the demo game.
g_Scr_IsSkipMode = false
g_Scr_IsSkipWaitTime = false
g_Scr_IsAutoMode = false
g_Scr_AutoModeTime_FAST = 1000
g_Scr_AutoModeTime_MID = 2000
g_Scr_AutoModeTime_SLOW = 3000
g_Scr_IsAutoModeTimeType = 1
g_Scr_SoundBufFirst = 10
g_Scr_SoundBufEnd = 20
g_CharaDiffPos = { 0, 0 }
