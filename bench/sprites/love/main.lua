-- The workload of bench_sprites' "sprites per ms": N copies of a 32 x 32
-- ball with a soft alpha rim per frame, alpha-blended, at the same
-- pseudo-random positions, 5 frames of warm-up, then 60 frames (20 at
-- N = 20,000) timed from present to present. Prints one line per N in the
-- runtime's format, with sprites per ms of process CPU time beside the wall
-- figure (the machine this runs on is shared).
local counts = {1000, 5000, 20000}
local seed = 12345

local function nextRandom()
  -- The runtime bench's LCG, seed * 1664525 + 1013904223 mod 2^32, >> 8.
  seed = (seed * 1664525 + 1013904223) % 4294967296
  return math.floor(seed / 256)
end

local function ball()
  local data = love.image.newImageData(32, 32)
  data:mapPixel(function(x, y)
    local d = math.sqrt((x - 15.5) ^ 2 + (y - 15.5) ^ 2) / 16
    local a = d >= 1 and 0 or math.floor(255 * (1 - d * d)) / 255
    return 1, math.floor(100 + x * 4) / 255, math.floor(50 + y * 5) / 255, a
  end)
  local image = love.graphics.newImage(data)
  -- Linear, as the runtime draws sprites unless told otherwise.
  image:setFilter("linear", "linear")
  return image
end

local image
local run = 1
local frame = 0
local startWall, startCpu

function love.load()
  image = ball()
  love.graphics.setBlendMode("alpha")
  local _, version, _, device = love.graphics.getRendererInfo()
  io.write("renderer: ", device, " (", version, ")\n")
end

function love.draw()
  local n = counts[run]
  for _ = 1, n do
    local x = nextRandom() % 300 - 10
    local y = nextRandom() % 220 - 10
    love.graphics.draw(image, x, y)
  end
end

-- Called by the main loop after each present.
local function framePresented()
  local n = counts[run]
  local frames = n >= 20000 and 20 or 60
  frame = frame + 1
  if frame == 5 then
    startWall, startCpu = love.timer.getTime(), os.clock()
  elseif frame == 5 + frames then
    local wallMs = (love.timer.getTime() - startWall) * 1000
    local cpuMs = (os.clock() - startCpu) * 1000
    io.write(string.format("N = %5d: %.1f sprites/ms, %.1f per CPU ms\n", n,
                           n * frames / wallMs, n * frames / cpuMs))
    io.flush()
    run = run + 1
    frame = 0
    if run > #counts then love.event.quit() end
  end
end

function love.run()
  love.load()
  love.timer.step()
  return function()
    love.event.pump()
    for name, a in love.event.poll() do
      if name == "quit" then return a or 0 end
    end
    love.graphics.origin()
    love.graphics.clear(0, 0, 0, 1)
    love.draw()
    love.graphics.present()
    framePresented()
  end
end
