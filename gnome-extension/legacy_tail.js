
let placer = null;

function init() {
}

function enable() {
    placer = new WindowPlacer();
    placer.enable();
}

function disable() {
    placer?.disable();
    placer = null;
}
