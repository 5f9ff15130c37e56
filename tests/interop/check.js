'use strict'
// Reads sentences built by the application's core library with an
// independent NMEA 0183 parser, the one boat data servers use, and compares
// the Signal K paths and SI values it finds with the input that built them.
// Usage: node check.js path/to/nmea-sentences

const { execFileSync } = require('child_process')
const Parser = require('@signalk/nmea0183-signalk')

const program = process.argv[2]
const parser = new Parser() // checks every checksum

const radians = (degrees) => (degrees * Math.PI) / 180
// Metres per second in one unit of each speed field.
const metresPerSecond = { N: 1852 / 3600, M: 1, K: 1 / 3.6 }
// One decimal is sent: half a tenth either way, in radians or m/s, plus
// room for the parser's own rounded conversion factors.
const angleTolerance = radians(0.05) + 1e-6
const speedTolerance = (unit) => 0.05 * metresPerSecond[unit] + 1e-3

// The parser gives an apparent angle in (-pi, pi] and a true direction in
// [0, 2 pi); angles are compared around the circle.
const angleError = (a, b) => {
  const d = (a - b) % (2 * Math.PI)
  return Math.abs(d > Math.PI ? d - 2 * Math.PI : d < -Math.PI ? d + 2 * Math.PI : d)
}

const mwv = (unit, direction, speed) => ({
  name: `MWV ${unit} ${direction} deg ${speed} m/s`,
  args: ['mwv', unit, String(direction), String(speed)],
  expect: {
    'environment.wind.angleApparent': { value: radians(direction), angle: true },
    'environment.wind.speedApparent': { value: speed, tolerance: speedTolerance(unit) },
  },
})

const mwd = (direction, speed) => ({
  name: `MWD ${direction} deg ${speed} m/s`,
  args: ['mwd', String(direction), String(speed)],
  expect: {
    'environment.wind.directionTrue': { value: radians(direction), angle: true, from: 0 },
    'environment.wind.speedTrue': { value: speed, tolerance: speedTolerance('M') },
  },
})

// Valid sentences that state no wind: the parser must accept the checksum
// and yield nothing.
const voidMwv = (unit) => ({ name: `void MWV ${unit}`, args: ['void', unit], expect: null })

const cases = [
  mwv('N', 45.3, 10),
  mwv('M', 45.3, 10),
  mwv('K', 45.3, 10),
  mwv('M', 270, 7.5),
  mwv('N', -0.5, 3.2),
  mwv('N', 360, 3.2),
  mwv('M', 359.96, 0),
  mwv('K', 180.04, 999.9),
  mwd(45.3, 10),
  mwd(270.04, 12.3),
  mwd(359.96, 0),
  mwd(0.04, 999.9),
  voidMwv('N'),
  voidMwv('M'),
  voidMwv('K'),
]

function sentenceFor(args) {
  return execFileSync(program, args, { encoding: 'latin1' })
}

function checkShape(sentence) {
  if (!/^\$[^\r\n]*\*[0-9A-F]{2}\r\n$/.test(sentence)) return 'not one sentence ending in CR LF'
  if (sentence.length > 82) return `${sentence.length} characters`
  return null
}

function checkValues(delta, expect) {
  if (expect === null) return delta === null ? null : `expected no values, got ${JSON.stringify(delta)}`
  if (delta === null) return 'the parser found no values'
  const values = {}
  for (const update of delta.updates) for (const v of update.values) values[v.path] = v.value
  const problems = []
  for (const [path, want] of Object.entries(expect)) {
    const got = values[path]
    if (typeof got !== 'number' || !Number.isFinite(got)) {
      problems.push(`${path} missing`)
      continue
    }
    const error = want.angle ? angleError(got, want.value) : Math.abs(got - want.value)
    const tolerance = want.angle ? angleTolerance : want.tolerance
    if (error > tolerance) problems.push(`${path} is ${got}, expected ${want.value}`)
    if (want.from === 0 && (got < 0 || got >= 2 * Math.PI)) problems.push(`${path} ${got} outside [0, 2 pi)`)
    delete values[path]
  }
  const extra = Object.keys(values)
  if (extra.length) problems.push(`unexpected paths ${extra.join(', ')}`)
  return problems.length ? problems.join('; ') : null
}

let passed = 0
let failed = 0
function report(name, problem) {
  if (problem) {
    failed++
    console.log(`not ok - ${name}: ${problem}`)
  } else {
    passed++
    console.log(`ok - ${name}`)
  }
}

for (const c of cases) {
  let problem
  try {
    const sentence = sentenceFor(c.args)
    problem = checkShape(sentence) || checkValues(parser.parse(sentence), c.expect)
  } catch (e) {
    problem = e.message
  }
  report(c.name, problem)
}

// Without these the cases above would prove little: the parser really
// checks checksums, and input no sentence can state gives no sentence.
{
  const sentence = sentenceFor(['mwv', 'N', '45.3', '10']).replace(/\*[0-9A-F]{2}/, '*00')
  let threw = false
  try {
    parser.parse(sentence)
  } catch (e) {
    threw = true
  }
  report('a wrong checksum is refused', threw ? null : 'the parser accepted it')
}
for (const args of [['mwv', 'N', 'nan', '1'], ['mwd', '10', 'inf'], ['mwd', '10', '-1']]) {
  const out = sentenceFor(args)
  report(`no sentence for ${args.join(' ')}`, out === '' ? null : `printed ${JSON.stringify(out)}`)
}

console.log(`${passed} passed, ${failed} failed`)
process.exit(failed === 0 && passed > 0 ? 0 : 1)
