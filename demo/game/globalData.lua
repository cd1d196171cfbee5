-- Screen, frame rate and window behaviour of the demo game.
g_Lua_ScreenWidth = 1024
g_Lua_ScreenHeight = 768
g_Lua_Aspect = 1.3333
g_Lua_FrameRate = 60
g_Lua_UseSolid = 1
g_Lua_EnableAlwaysMostTop = 0
g_Lua_EnableWhenNotActive = 1
