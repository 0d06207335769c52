-- The peer's side of the sprite bench: the same window size and no vsync,
-- so frames run unpaced as in bench_sprites.
function love.conf(t)
  t.window.width = 320
  t.window.height = 240
  t.window.vsync = 0
  t.window.title = "Sprite bench (peer)"
  t.modules.audio = false
  t.modules.sound = false
  t.modules.joystick = false
  t.modules.physics = false
end
