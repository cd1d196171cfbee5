-- Lua helpers shared by the demo game's event scripts (run before every script).

-- The settings panel's choice: the slider's 1 (slow) to 10 (fast) becomes the message window's
-- seconds per character; instant text types each page at once.
function ApplyTextSpeed()
  local steps = ScGetSystemFlagNum("S_textSpeed")
  if steps < 1 then steps = 1 end
  local speed = 0.16 / steps
  if ScGetSystemFlagStr("S_instantText") == "true" then speed = 0 end
  ScSetFontSpeedWindow("MES", 0, speed)
end
