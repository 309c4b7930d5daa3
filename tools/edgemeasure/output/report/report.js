// edgemeasure's HTML report: tooltips, zoom and pan of the overlays, and the results table's
// rows that show their measurement. Plain script, no libraries: the page loads nothing.
"use strict";
(function () {
    const tip = document.querySelector(".tip");

    // Every marked shape carries its tip as an SVG <title>. The title moves into data-tip, so
    // that the page's own box shows it at once (the browser's tooltip would show it late and
    // twice).
    for (const title of document.querySelectorAll("svg :not(svg) > title")) {
        const owner = title.parentElement;
        owner.dataset.tip = title.textContent;
        title.remove();
    }

    function place(event) {
        const gap = 14;
        const x = Math.min(event.clientX + gap, window.innerWidth - tip.offsetWidth - 4);
        const y = event.clientY + gap + tip.offsetHeight > window.innerHeight
            ? event.clientY - gap - tip.offsetHeight : event.clientY + gap;
        tip.style.left = Math.max(0, x) + "px";
        tip.style.top = Math.max(0, y) + "px";
    }
    document.addEventListener("pointerover", function (event) {
        const owner = event.target.closest ? event.target.closest("[data-tip]") : null;
        if (!owner) {
            return;
        }
        tip.textContent = owner.dataset.tip;
        tip.hidden = false;
        owner.classList.add("hovered");
        place(event);
    });
    document.addEventListener("pointermove", function (event) {
        if (!tip.hidden) {
            place(event);
        }
    });
    document.addEventListener("pointerout", function (event) {
        const owner = event.target.closest ? event.target.closest("[data-tip]") : null;
        if (owner) {
            owner.classList.remove("hovered");
            tip.hidden = true;
        }
    });

    // Zoom (wheel, buttons) and pan (drag) by the overlay's viewBox, in image pixels.
    function Viewer(element) {
        const svg = element.querySelector("svg.overlay");
        const full = { x: 0, y: 0, w: Number(svg.dataset.width), h: Number(svg.dataset.height) };
        let view = Object.assign({}, full);
        const minimum = 4;  // pixels across at the closest zoom
        function show(next) {
            const limit = Math.max(full.w, full.h) * 4;
            const w = Math.min(Math.max(next.w, minimum), limit);
            const h = next.h * w / next.w;
            view = { x: next.x + (next.w - w) / 2, y: next.y + (next.h - h) / 2, w: w, h: h };
            svg.setAttribute("viewBox", [view.x, view.y, view.w, view.h].join(" "));
        }
        function imagePoint(clientX, clientY) {
            const point = svg.createSVGPoint();
            point.x = clientX;
            point.y = clientY;
            return point.matrixTransform(svg.getScreenCTM().inverse());
        }
        function zoomAbout(factor, centre) {
            show({ x: centre.x - (centre.x - view.x) * factor,
                   y: centre.y - (centre.y - view.y) * factor,
                   w: view.w * factor, h: view.h * factor });
        }
        function middle() {
            return { x: view.x + view.w / 2, y: view.y + view.h / 2 };
        }
        svg.addEventListener("wheel", function (event) {
            event.preventDefault();
            zoomAbout(Math.exp(event.deltaY * 0.0015), imagePoint(event.clientX, event.clientY));
        }, { passive: false });
        let drag = null;
        svg.addEventListener("pointerdown", function (event) {
            drag = { x: event.clientX, y: event.clientY, view: view,
                     scale: svg.getScreenCTM().a };
            element.classList.add("dragging");
        });
        window.addEventListener("pointermove", function (event) {
            if (drag) {
                show({ x: drag.view.x - (event.clientX - drag.x) / drag.scale,
                       y: drag.view.y - (event.clientY - drag.y) / drag.scale,
                       w: drag.view.w, h: drag.view.h });
            }
        });
        window.addEventListener("pointerup", function () {
            drag = null;
            element.classList.remove("dragging");
        });
        svg.addEventListener("dblclick", function () {
            show(full);
        });
        element.querySelector(".tools").addEventListener("click", function (event) {
            const action = event.target.dataset ? event.target.dataset.zoom : undefined;
            if (action === "in") {
                zoomAbout(0.5, middle());
            } else if (action === "out") {
                zoomAbout(2, middle());
            } else if (action === "fit") {
                show(full);
            }
        });
        this.showBox = function (text) {
            const n = text.split(" ").map(Number);
            show({ x: n[0], y: n[1], w: n[2], h: n[3] });
        };
    }

    for (const section of document.querySelectorAll("section.image")) {
        const element = section.querySelector(".viewer");
        if (!element) {
            continue;
        }
        const viewer = new Viewer(element);
        for (const row of section.querySelectorAll("tr[data-view]")) {
            row.addEventListener("click", function () {
                viewer.showBox(row.dataset.view);
                element.scrollIntoView({ block: "nearest" });
            });
        }
    }
})();
